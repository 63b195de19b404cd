// The drive functions' logic against made-up systems: which drives are listed and in what
// order, mount points (which Wine cannot enumerate), a volume's name and sizes, whether a
// destination lies on the scanned volume, and how a scan's device path is opened.
#include "engine/drive_list.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace scavrel {
namespace {

// A system described by tables; every question it is asked is noted.
class FakeVolumeSystem : public VolumeSystem {
 public:
  bool version_readable = true;
  uint32_t major = 6;
  std::string drive_strings;
  std::map<std::string, uint32_t> types;
  std::map<std::string, std::vector<std::string>> mount_points;  // root -> names
  std::map<std::string, std::string> volume_names;               // path -> "\\?\Volume{..}\"
  std::map<std::string, std::string> file_systems;
  std::map<std::string, uint64_t> sizes;                         // path -> total bytes
  std::map<std::string, std::string> volume_paths;               // path -> its volume's path
  std::map<std::string, std::vector<std::string>> path_names;    // volume name -> paths

  std::vector<std::string> searched_roots;
  int open_searches = 0;
  std::vector<std::string> path_name_questions;

  bool MajorVersion(uint32_t* out) override {
    if (!version_readable) return false;
    *out = major;
    return true;
  }
  std::string LogicalDriveStrings() override { return drive_strings; }
  uint32_t DriveType(const std::string& root) override {
    auto it = types.find(root);
    return it == types.end() ? 1 : it->second;  // DRIVE_NO_ROOT_DIR
  }
  struct Search {
    std::vector<std::string> names;
    size_t next = 0;
  };
  void* FindFirstMountPoint(const std::string& root, std::string* name) override {
    searched_roots.push_back(root);
    auto it = mount_points.find(root);
    if (it == mount_points.end() || it->second.empty()) return nullptr;  // Wine: error 120
    auto* search = new Search{it->second, 1};
    *name = search->names[0];
    ++open_searches;
    return search;
  }
  bool FindNextMountPoint(void* handle, std::string* name) override {
    auto* search = static_cast<Search*>(handle);
    if (search->next >= search->names.size()) return false;
    *name = search->names[search->next++];
    return true;
  }
  void FindMountPointClose(void* handle) override {
    delete static_cast<Search*>(handle);
    --open_searches;
  }
  bool VolumeNameForMountPoint(const std::string& path, std::string* name) override {
    return Lookup(volume_names, path, name);
  }
  bool FileSystemName(const std::string& path, std::string* name) override {
    return Lookup(file_systems, path, name);
  }
  bool DiskFreeSpace(const std::string& path, uint64_t* free_to_caller, uint64_t* total,
                     uint64_t* total_free) override {
    auto it = sizes.find(path);
    if (it == sizes.end()) return false;
    *total = it->second;
    *free_to_caller = it->second / 4;
    *total_free = it->second / 2;
    return true;
  }
  bool VolumePathName(const std::string& path, std::string* out) override {
    return Lookup(volume_paths, path, out);
  }
  bool VolumePathNames(const std::string& name, std::vector<std::string>* paths) override {
    path_name_questions.push_back(name);
    auto it = path_names.find(name);
    if (it == path_names.end()) return false;
    *paths = it->second;
    return true;
  }

 private:
  static bool Lookup(const std::map<std::string, std::string>& table, const std::string& key,
                     std::string* out) {
    auto it = table.find(key);
    if (it == table.end()) return false;
    *out = it->second;
    return true;
  }
};

std::vector<std::string> Entries(const TextList& list) {
  std::vector<std::string> out;
  for (ListPosition p = list.Head(); p != nullptr; p = p->next) out.push_back(p->text);
  return out;
}

// GetLogicalDriveStringsA's form: each root zero-terminated, then one more zero.
const char kSixDrives[] = "A:\\\0C:\\\0D:\\\0E:\\\0R:\\\0Z:\\\0";

FakeVolumeSystem SixDrives() {
  FakeVolumeSystem system;
  system.drive_strings.assign(kSixDrives, sizeof(kSixDrives));
  system.types = {{"A:\\", 2}, {"C:\\", 3}, {"D:\\", 5}, {"E:\\", 4}, {"R:\\", 6}, {"Z:\\", 3}};
  return system;
}

TEST(DriveList, RemovableAndFixedRootsInSystemOrderThenTheirMountPointsAfterAllRoots) {
  FakeVolumeSystem system = SixDrives();
  system.mount_points["C:\\"] = {"mnt\\data\\", "mnt\\usb\\"};
  system.mount_points["Z:\\"] = {"backup\\"};
  TextList list;
  list.Add("stale entry");
  uint8_t nt5 = 0;
  ASSERT_TRUE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(nt5, 1);
  // CD-ROM (5), network (4) and RAM (6) drives are left out.
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"A:\\", "C:\\", "Z:\\", "C:\\mnt\\data\\",
                                                     "C:\\mnt\\usb\\", "Z:\\backup\\"}));
  // Only the listed roots are searched, never the mount points just added; searches close.
  EXPECT_EQ(system.searched_roots, (std::vector<std::string>{"A:\\", "C:\\", "Z:\\"}));
  EXPECT_EQ(system.open_searches, 0);
}

// Wine answers FindFirstVolumeMountPointA with error 120 for every root: the roots remain.
TEST(DriveList, RootsWhoseMountPointSearchCannotOpenAreListedAlone) {
  FakeVolumeSystem system = SixDrives();
  TextList list;
  uint8_t nt5 = 0;
  ASSERT_TRUE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"A:\\", "C:\\", "Z:\\"}));
}

TEST(DriveList, BeforeNt5NoMountPointIsSearched) {
  FakeVolumeSystem system = SixDrives();
  system.major = 4;
  system.mount_points["C:\\"] = {"mnt\\data\\"};
  TextList list;
  uint8_t nt5 = 1;
  ASSERT_TRUE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(nt5, 0);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"A:\\", "C:\\", "Z:\\"}));
  EXPECT_TRUE(system.searched_roots.empty());
}

TEST(DriveList, UnreadableVersionFailsAndLeavesTheOldList) {
  FakeVolumeSystem system = SixDrives();
  system.version_readable = false;
  TextList list;
  list.Add("C:\\");
  uint8_t nt5 = 1;
  EXPECT_FALSE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(nt5, 0);
  EXPECT_EQ(Entries(list), (std::vector<std::string>{"C:\\"}));
}

TEST(DriveList, NoRemovableOrFixedDriveGivesAnEmptyList) {
  FakeVolumeSystem system;
  const char only_cd[] = "D:\\\0";
  system.drive_strings.assign(only_cd, sizeof(only_cd));
  system.types = {{"D:\\", 5}};
  TextList list;
  list.Add("old");
  uint8_t nt5 = 0;
  ASSERT_TRUE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(list.Head(), nullptr);

  system.drive_strings.clear();  // the system gave no roots at all
  ASSERT_TRUE(BuildDriveList(system, &list, &nt5));
  EXPECT_EQ(list.Head(), nullptr);
}

TEST(DriveList, DriveStringsStopAtTheEmptyEntry) {
  const char strings[] = "C:\\\0\0X:\\\0";
  EXPECT_EQ(SplitDriveStrings(std::string(strings, sizeof(strings))),
            (std::vector<std::string>{"C:\\"}));
  EXPECT_EQ(SplitDriveStrings("C:\\"), (std::vector<std::string>{"C:\\"}));  // no terminator
  EXPECT_TRUE(SplitDriveStrings(std::string()).empty());
}

TEST(DriveInfo, AMountPointReportsTheMountedVolumesNameFileSystemAndSizes) {
  FakeVolumeSystem system;
  system.volume_names = {{"C:\\", "\\\\?\\Volume{c}\\"}, {"C:\\mnt\\usb\\", "\\\\?\\Volume{u}\\"}};
  system.file_systems = {{"C:\\", "NTFS"}, {"C:\\mnt\\usb\\", "FAT32"}};
  system.sizes = {{"C:\\", 1ull << 40}, {"C:\\mnt\\usb\\", 8000000000ull}};
  DriveInfo info;
  ASSERT_TRUE(ReadDriveInfo(system, 1, "C:\\mnt\\usb\\", &info));
  EXPECT_EQ(info.volume_name, "\\\\?\\Volume{u}\\");
  EXPECT_EQ(info.file_system, "FAT32");
  EXPECT_EQ(info.total_bytes, 8000000000ull);
  EXPECT_EQ(info.free_to_caller, 2000000000ull);
  EXPECT_EQ(info.total_free, 4000000000ull);
}

TEST(DriveInfo, BeforeNt5ThePathStandsForTheVolumeName) {
  FakeVolumeSystem system;
  system.file_systems = {{"A:\\", "FAT"}};
  system.sizes = {{"A:\\", 1474560}};
  DriveInfo info;
  ASSERT_TRUE(ReadDriveInfo(system, 0, "A:\\", &info));
  EXPECT_EQ(info.volume_name, "A:\\");
  EXPECT_FALSE(ReadDriveInfo(system, 1, "A:\\", &info));  // NT 5: the system must name it
}

TEST(DriveInfo, AnyFailingSystemCallFails) {
  FakeVolumeSystem system;
  system.volume_names = {{"C:\\", "\\\\?\\Volume{c}\\"}, {"E:\\", "\\\\?\\Volume{e}\\"}};
  system.file_systems = {{"C:\\", "NTFS"}};  // E: has no readable file system
  DriveInfo info;
  EXPECT_FALSE(ReadDriveInfo(system, 1, "E:\\", &info));
  EXPECT_FALSE(ReadDriveInfo(system, 1, "C:\\", &info));  // sizes unreadable
}

// A tree whose root carries the scanned drive's caption, as ProcFat/ProcNtfs name it.
void PlantRoot(FoundTree* tree, const std::u16string& caption) {
  tree->set_record_form(RecordForm::kFat);
  FoundNode* root = tree->NewNode();
  FatEntryRecord* record = NewFatRecord();
  SetWideName(&record->long_name, caption.data(), caption.size());
  root->record = AsEntryRecord(record);
  FoundNode* child = tree->NewNode();
  child->record = AsEntryRecord(NewFatRecord());
  tree->AttachNode(child, root);
}

std::string Narrow(const char16_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) out += static_cast<char>(*text);
  return out;
}

FakeVolumeSystem CWithAMountedUsbDrive() {
  FakeVolumeSystem system;
  system.volume_paths = {{"C:\\", "C:\\"},
                         {"C:\\recovered\\", "C:\\"},
                         {"C:\\mnt\\usb\\", "C:\\mnt\\usb\\"},
                         {"C:\\mnt\\usb\\recovered", "C:\\mnt\\usb\\"},
                         {"E:\\out", "E:\\"}};
  return system;
}

TEST(CurrentDriver, ADestinationOnTheScannedDriveLetterIsOnTheScannedVolume) {
  FakeVolumeSystem system = CWithAMountedUsbDrive();
  FoundTree tree;
  PlantRoot(&tree, u"C:\\");
  EXPECT_TRUE(DestinationOnScannedVolume(system, tree, "", "C:\\recovered\\", Narrow));
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "E:\\out", Narrow));
  // A volume mounted in a folder of the scanned drive is another volume.
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "C:\\mnt\\usb\\recovered", Narrow));
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "Q:\\nowhere", Narrow));
}

TEST(CurrentDriver, AScannedMountPointMatchesOnlyDestinationsOnThatVolume) {
  FakeVolumeSystem system = CWithAMountedUsbDrive();
  FoundTree tree;
  PlantRoot(&tree, u"C:\\mnt\\usb\\");
  EXPECT_TRUE(DestinationOnScannedVolume(system, tree, "", "C:\\mnt\\usb\\recovered", Narrow));
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "C:\\recovered\\", Narrow));
}

TEST(CurrentDriver, AnEmptyOrPrunedTreeIsNeverTheDestinationsVolume) {
  FakeVolumeSystem system = CWithAMountedUsbDrive();
  FoundTree tree;
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "C:\\recovered\\", Narrow));
  PlantRoot(&tree, u"C:\\");
  tree.DeleteNode(tree.root()->first_child);
  tree.DeleteNode(tree.root());  // a prune that removed everything
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "C:\\recovered\\", Narrow));
}

// The same volume reached through another drive letter or a folder mount point has other
// volume path texts: the volume names tell it apart. The scanned device is the volume name
// without its last backslash (or, where no volume names exist, a drive's device path).
FakeVolumeSystem FReachedThreeWays() {
  FakeVolumeSystem system;
  system.volume_paths = {{"F:\\", "F:\\"},
                         {"G:\\saved", "G:\\"},
                         {"C:\\mnt\\f\\saved", "C:\\mnt\\f\\"},
                         {"C:\\saved", "C:\\"},
                         {"E:\\saved", "E:\\"}};
  system.volume_names = {{"F:\\", "\\\\?\\Volume{f}\\"},
                         {"G:\\", "\\\\?\\Volume{F}\\"},  // the system's case may differ
                         {"C:\\mnt\\f\\", "\\\\?\\Volume{f}\\"},
                         {"C:\\", "\\\\?\\Volume{c}\\"},
                         {"E:\\", "\\\\?\\Volume{e}\\"}};
  return system;
}

TEST(CurrentDriver, TheScannedVolumeIsRecognisedThroughAnyDriveLetterOrMountPoint) {
  FakeVolumeSystem system = FReachedThreeWays();
  FoundTree tree;
  PlantRoot(&tree, u"F:\\");
  for (const char* device : {"\\\\?\\Volume{f}", "\\\\.\\F:"}) {
    SCOPED_TRACE(device);
    EXPECT_TRUE(DestinationOnScannedVolume(system, tree, device, "G:\\saved", Narrow));
    EXPECT_TRUE(DestinationOnScannedVolume(system, tree, device, "C:\\mnt\\f\\saved", Narrow));
    EXPECT_FALSE(DestinationOnScannedVolume(system, tree, device, "C:\\saved", Narrow));
    EXPECT_FALSE(DestinationOnScannedVolume(system, tree, device, "E:\\saved", Narrow));
  }
  // Without a scan's device the caption's text test alone decides.
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "", "G:\\saved", Narrow));
  // A destination whose volume has no name is compared by its text alone.
  system.volume_names.erase("G:\\");
  EXPECT_FALSE(DestinationOnScannedVolume(system, tree, "\\\\?\\Volume{f}", "G:\\saved", Narrow));
  FoundTree empty;  // after ClearRecovery
  EXPECT_FALSE(DestinationOnScannedVolume(system, empty, "\\\\?\\Volume{f}",
                                          "C:\\mnt\\f\\saved", Narrow));
}

// --- opening a scan's device path ---------------------------------------------------------------

// A volume that opens but fails every read, as Wine's volume-name handles do (error 1).
class UnreadableVolume : public VolumeReader {
 public:
  bool Read(uint64_t, void*, size_t) override { return false; }
  uint32_t LastErrorCode() const override { return 1; }
  uint64_t Size() const override { return 0; }
};

struct FakeDevices {
  std::vector<uint8_t> volume = std::vector<uint8_t>(4096, 0xF6);
  std::map<std::string, int> kinds;  // 1 readable, 2 opens but unreadable; absent: error 2
  std::vector<std::string> opened;

  VolumeOpener Opener() {
    return [this](const std::string& path, uint32_t* error) -> std::unique_ptr<VolumeReader> {
      opened.push_back(path);
      auto it = kinds.find(path);
      if (it == kinds.end()) {
        *error = 2;
        return nullptr;
      }
      if (it->second == 2) return std::make_unique<UnreadableVolume>();
      return std::make_unique<MemoryVolumeReader>(volume);
    };
  }
};

const char kVolumeF[] = "\\\\?\\Volume{00000000-0000-0000-0000-000000000046}";

TEST(OpenScanVolume, AVolumeNameThatReadsIsUsedAsItIs) {
  FakeVolumeSystem system;
  FakeDevices devices;
  devices.kinds[kVolumeF] = 1;
  uint32_t error = 0;
  auto reader = OpenScanVolume(system, devices.Opener(), kVolumeF, &error);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Size(), 4096u);
  EXPECT_EQ(devices.opened, (std::vector<std::string>{kVolumeF}));
  EXPECT_TRUE(system.path_name_questions.empty());
}

TEST(OpenScanVolume, AVolumeNameThatCannotBeReadFallsBackToItsDriveLetter) {
  FakeVolumeSystem system;
  system.path_names[std::string(kVolumeF) + "\\"] = {"C:\\mnt\\img\\", "F:\\"};
  FakeDevices devices;
  devices.kinds[kVolumeF] = 2;
  devices.kinds["\\\\.\\F:"] = 1;
  uint32_t error = 0;
  auto reader = OpenScanVolume(system, devices.Opener(), kVolumeF, &error);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->Size(), 4096u);
  EXPECT_EQ(devices.opened, (std::vector<std::string>{kVolumeF, "\\\\.\\F:"}));
}

TEST(OpenScanVolume, AVolumeNameThatDoesNotOpenFallsBackToItsDriveLetter) {
  FakeVolumeSystem system;
  system.path_names[std::string(kVolumeF) + "\\"] = {"F:\\"};
  FakeDevices devices;
  devices.kinds["\\\\.\\F:"] = 1;
  uint32_t error = 0;
  EXPECT_NE(OpenScanVolume(system, devices.Opener(), kVolumeF, &error), nullptr);
}

TEST(OpenScanVolume, WithoutAUsableDriveLetterTheFirstAnswerStands) {
  FakeVolumeSystem system;
  system.path_names[std::string(kVolumeF) + "\\"] = {"C:\\mnt\\img\\"};  // folder only
  FakeDevices devices;
  uint32_t error = 0;
  EXPECT_EQ(OpenScanVolume(system, devices.Opener(), kVolumeF, &error), nullptr);
  EXPECT_EQ(error, 2u);

  // Opened but unreadable, and no letter to try: handed back for the scanner to report.
  devices.kinds[kVolumeF] = 2;
  auto reader = OpenScanVolume(system, devices.Opener(), kVolumeF, &error);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->LastErrorCode(), 1u);
}

TEST(OpenScanVolume, APathThatIsNoVolumeNameIsNotLookedUp) {
  FakeVolumeSystem system;
  FakeDevices devices;
  uint32_t error = 0;
  EXPECT_EQ(OpenScanVolume(system, devices.Opener(), "\\\\.\\Q:", &error), nullptr);
  EXPECT_EQ(error, 2u);
  EXPECT_TRUE(system.path_name_questions.empty());
}

}  // namespace
}  // namespace scavrel
