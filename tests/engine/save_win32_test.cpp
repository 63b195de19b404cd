// The save path's Win32 side under the real file system: GetSaveSize through Scavrel.dll on a
// hand-built node, and the output path rewritten through the volume name of the destination's
// drive, with the drive-letter fallback that Wine needs (Wine cannot create files under a
// volume name; Windows can, and then the fallback is never taken).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/save_list.h"
#include "engine/save_session.h"
#include "engine/save_tree.h"
#include "engine/win/save_win32.h"
#include "quorrin/list_registry.h"
#include "tests/engine/save_test_support.h"
#include "tests/engine/scavrel_dll.h"

namespace scavrel {
namespace {

using save_test::FatFile;
using save_test::NamedFolder;
using save_test::OpenVolume;
using save_test::PatternImage;
using save_test::Slice;

const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

std::u16string U(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

// A fresh folder under the user's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = U(base) + u"tolvane-save-" +
            U(std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()));
    CreateDirectoryW(W(path_), nullptr);
  }
  ~TempFolder() { Remove(path_); }
  const std::u16string& path() const { return path_; }

 private:
  // In the long form, so that folders past MAX_PATH go too.
  static void Remove(const std::u16string& folder) {
    scavrel_dll::RemoveTree(W(LongPathForm(folder)));
  }
  std::u16string path_;
};

std::vector<uint8_t> ReadWholeFile(const std::u16string& path) {
  std::vector<uint8_t> bytes;
  HANDLE file = CreateFileW(W(LongPathForm(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {0xDE, 0xAD};
  uint8_t chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  CloseHandle(file);
  return bytes;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The Win32 output, with every create it was asked for and whether it succeeded.
class WatchedOutput : public Win32SaveOutput {
 public:
  std::unique_ptr<OutputFile> Create(const std::u16string& path, bool replace,
                                     uint32_t* error) override {
    std::unique_ptr<OutputFile> file = Win32SaveOutput::Create(path, replace, error);
    creates.emplace_back(path, file != nullptr);
    return file;
  }
  std::vector<std::pair<std::u16string, bool>> creates;
};

TEST(SaveWin32, TheDestinationsDriveHasAVolumeNameThatLeadsBackToIt) {
  Win32SaveOutput output;
  std::u16string name;
  uint32_t error = 0;
  ASSERT_TRUE(output.VolumeNameOf(u"C:\\", &name, &error)) << error;
  EXPECT_EQ(name.compare(0, 11, u"\\\\?\\Volume{"), 0);
  EXPECT_EQ(name.back(), u'\\');
  std::u16string root;
  ASSERT_TRUE(output.PathOfVolume(name, &root));
  EXPECT_EQ(root, u"C:\\");
  EXPECT_FALSE(output.VolumeNameOf(u"C:\\no such folder\\", &name, &error));
}

// A FAT engine over a 256 KiB patterned image, its found tree's root named `root_name`.
struct PatternVolume {
  explicit PatternVolume(const char16_t* root_name)
      : image(PatternImage(256 * 1024, 4096)), engine(EngineKind::kFat) {
    engine.last_error = &error;
    engine.save_flags.stop = 0;
    OpenVolume(engine, image, VolumeGeometry{512, 8, 40, 0});
    root = NamedFolder(engine.tree, nullptr, root_name, kMixed, false);
  }
  std::vector<uint8_t> image;
  LastError error;
  Engine engine;
  FoundNode* root = nullptr;
};

TEST(SaveWin32, FilesGoThroughTheVolumeNameOrElseTheDriveLetter) {
  TempFolder temp;
  PatternVolume volume(u"C:\\");
  Engine& engine = volume.engine;
  std::vector<uint8_t>& image = volume.image;
  LastError& error = volume.error;
  FoundNode* root = volume.root;
  FoundNode* file = FatFile(engine.tree, root, u"report.doc", 5000, 3, 2);

  WatchedOutput output;
  SaveSession session(engine, output, false);
  ASSERT_TRUE(SaveOneFile(session, temp.path(), file)) << error.Code() << " " << error.Text();

  const std::u16string tail = temp.path().substr(3) + u"\\report.doc";
  ASSERT_FALSE(output.creates.empty());
  EXPECT_EQ(output.creates[0].first.compare(0, 11, u"\\\\?\\Volume{"), 0);
  EXPECT_EQ(output.creates[0].first.substr(output.creates[0].first.size() - tail.size()), tail);
  // Wine 8 refuses files under a volume name (error 2), so there the drive letter must serve.
  if (RunningUnderWine()) {
    EXPECT_FALSE(output.creates[0].second);
  }
  if (!output.creates[0].second) {
    ASSERT_EQ(output.creates.size(), 2u);
    EXPECT_EQ(output.creates[1], std::make_pair(u"C:\\" + tail, true));
  }
  const std::vector<uint8_t> expected = Slice(image, (40 + 8) * 512, 5000);
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\report.doc"), expected);

  // A second save of the same name is renamed; with auto-rename off it is refused.
  ASSERT_TRUE(SaveOneFile(session, temp.path(), file));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\report1.doc"), expected);
  engine.auto_rename = 0;
  EXPECT_FALSE(SaveOneFile(session, temp.path(), file));
  EXPECT_EQ(error.Code(), static_cast<int32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(engine.save_progress.counter_a, 2u);
}

TEST(SaveWin32, FoldersAreMadeInWideTextAndNamesAreNotReplacedUnasked) {
  TempFolder temp;
  Win32SaveOutput output;
  uint32_t error = 0;
  const std::u16string deep = temp.path() + u"\\\u03A9mega\\\u65E5\u672C\\";
  bool made = false;
  ASSERT_TRUE(output.MakeFolders(deep, &error, &made)) << error;
  EXPECT_TRUE(made);
  EXPECT_TRUE(output.MakeFolders(deep, &error, &made));  // already there
  EXPECT_FALSE(made);
  DWORD attributes = GetFileAttributesW(W(deep));
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  const std::u16string path = deep + u"x.bin";
  {
    std::unique_ptr<OutputFile> file = output.Create(path, false, &error);
    ASSERT_NE(file, nullptr) << error;
    ASSERT_TRUE(file->Write("abc", 3, &error));
  }
  EXPECT_TRUE(output.Exists(path));
  EXPECT_EQ(output.Create(path, false, &error), nullptr);
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{'a', 'b', 'c'}));
  // A file in the way of a folder fails the folder.
  EXPECT_FALSE(output.MakeFolders(path + u"\\below\\", &error));
}

TEST(SaveWin32, LongPathFormIsFullTidyAndPrefixed) {
  EXPECT_EQ(LongPathForm(u"C:\\out\\..\\saved/here\\.\\a.txt"), u"\\\\?\\C:\\saved\\here\\a.txt");
  EXPECT_EQ(LongPathForm(u"C:\\out\\deep\\"), u"\\\\?\\C:\\out\\deep\\");
  EXPECT_EQ(LongPathForm(u"\\\\server\\share\\x"), u"\\\\?\\UNC\\server\\share\\x");
  EXPECT_EQ(LongPathForm(u"\\\\?\\Volume{1234}\\out\\a.txt"), u"\\\\?\\Volume{1234}\\out\\a.txt");
}

// Files are created through their folder's tidied path, kept from one file to the next: each
// file must still land where its own path says, whichever folder came before it.
TEST(SaveWin32, FilesLandInTheirOwnFolderWhenTheFolderChangesBetweenCreates) {
  TempFolder temp;
  Win32SaveOutput output;
  uint32_t error = 0;
  ASSERT_TRUE(output.MakeFolders(temp.path() + u"\\a\\", &error)) << error;
  ASSERT_TRUE(output.MakeFolders(temp.path() + u"\\b\\", &error)) << error;
  auto create = [&](const std::u16string& path, const char* bytes) {
    std::unique_ptr<OutputFile> file = output.Create(path, false, &error);
    return file != nullptr && file->Write(bytes, std::strlen(bytes), &error);
  };
  EXPECT_TRUE(create(temp.path() + u"\\a\\one.txt", "1"));
  EXPECT_TRUE(create(temp.path() + u"\\b\\..\\a\\two.txt", "2"));  // untidy, same folder
  EXPECT_TRUE(create(temp.path() + u"\\b\\three.txt", "3"));
  EXPECT_TRUE(create(temp.path() + u"\\b/four.txt", "4"));  // a slash for a backslash
  EXPECT_FALSE(create(temp.path() + u"\\b\\..", "5"));      // the folder above, not a file
  EXPECT_TRUE(create(temp.path() + u"\\a\\five.txt", "5"));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\a\\one.txt"), (std::vector<uint8_t>{'1'}));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\a\\two.txt"), (std::vector<uint8_t>{'2'}));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\b\\three.txt"), (std::vector<uint8_t>{'3'}));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\b\\four.txt"), (std::vector<uint8_t>{'4'}));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\a\\five.txt"), (std::vector<uint8_t>{'5'}));
  // The same name in a folder of the same text once tidied is the same file: never replaced.
  EXPECT_FALSE(create(temp.path() + u"\\b\\..\\a\\one.txt", "x"));
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadWholeFile(temp.path() + u"\\a\\one.txt"), (std::vector<uint8_t>{'1'}));
}

// A deep found tree below a deep destination: paths far past MAX_PATH (260) are saved whole.
TEST(SaveWin32, ATreeDeeperThanMaxPathIsSavedWhole) {
  TempFolder temp;
  PatternVolume volume(u"C:\\");
  Engine& engine = volume.engine;
  std::vector<uint8_t>& image = volume.image;
  FoundNode* root = volume.root;
  FoundNode* folder = root;
  std::u16string below;
  for (int level = 0; level < 8; ++level) {
    const std::u16string name = u"deleted folder " + std::u16string(40, static_cast<char16_t>(u'a' + level));
    folder = NamedFolder(engine.tree, folder, name);
    below += u"\\" + name;
  }
  FatFile(engine.tree, folder, u"the deepest file of all.txt", 5000, 3, 2);
  FatFile(engine.tree, folder, u"THE DEEPEST FILE OF ALL.TXT", 100, 5, 1);
  const std::u16string destination = temp.path() + u"\\" + std::u16string(60, u'd');
  const std::u16string deepest = destination + below;
  ASSERT_GT(deepest.size(), 400u);

  Win32SaveOutput output;
  std::string ansi_destination(destination.begin(), destination.end());
  ASSERT_TRUE(SaveTree(engine, output, ansi_destination, nullptr));
  EXPECT_EQ(ReadWholeFile(deepest + u"\\the deepest file of all.txt"),
            Slice(image, (40 + 8) * 512, 5000));
  // The same name to Windows: the second is renamed, not written over the first.
  EXPECT_EQ(ReadWholeFile(deepest + u"\\THE DEEPEST FILE OF ALL1.TXT"),
            Slice(image, (40 + 3 * 8) * 512, 100));
  EXPECT_EQ(engine.save_progress.counter_a, 2u);
  EXPECT_EQ(engine.save_progress.counter_b, 8u);
}

// Quorrin's core behind the list seam, as the DLL's list save binds it.
class CoreList : public ListLibrary {
 public:
  bool Load(ListBinding* binding, uint32_t*) override {
    binding->get_list_count = &quorrin::GetListCount;
    binding->get_sort_value = &quorrin::GetSortValue;
    binding->get_sort_text = &quorrin::GetSortText;
    return true;
  }
  void Free(const ListBinding&) override {}
};

// Rows of "Docs" and "DOCS" in turn go into one folder on Windows; every file keeps a name of
// its own there, as the real file system compares names. A file another program makes
// between the name's choice and the create is not written over either.
TEST(SaveWin32, FoldersThatDifferOnlyInCaseShareOneFolderAndNothingIsWrittenOver) {
  TempFolder temp;
  PatternVolume volume(u"X:\\");
  Engine& engine = volume.engine;
  std::vector<uint8_t>& image = volume.image;
  FoundNode* root = volume.root;
  const char* names[] = {"a.txt", "b.txt", "B.TXT", "a.txt", "c.txt"};
  const char* folders[] = {"X:\\Docs\\", "X:\\DOCS\\", "X:\\Docs\\", "X:\\docs\\", "X:\\Docs\\"};
  const uint32_t list = quorrin::AddList();
  for (int field = 0; field < 10; ++field) {
    quorrin::FieldAdd("a", field < 6 ? kQuorrinFieldText : kQuorrinFieldInteger, list);
  }
  for (int row = 0; row < 5; ++row) {
    std::u16string name(names[row], names[row] + std::strlen(names[row]));
    FoundNode* file = FatFile(engine.tree, root, name, 100, 3 + row, 1);
    quorrin_api::IntegerCell state = kChecked;
    quorrin_api::IntegerCell node = reinterpret_cast<quorrin_api::IntegerCell>(file);
    quorrin::Add(list);
    quorrin::SetValue(folders[row], 0, list);
    quorrin::SetValue(&state, 8, list);
    quorrin::SetValue(&node, 9, list);
  }
  // Another program makes c.txt just before the save creates it.
  class Interloper : public Win32SaveOutput {
   public:
    std::unique_ptr<OutputFile> Create(const std::u16string& path, bool replace,
                                       uint32_t* error) override {
      if (!made && path.size() > 6 && path.substr(path.size() - 6) == u"\\c.txt") {
        uint32_t code = 0;
        std::unique_ptr<OutputFile> other = Win32SaveOutput::Create(path, false, &code);
        if (other != nullptr) {
          made = true;
          other->Write("other", 5, &code);
        }
      }
      return Win32SaveOutput::Create(path, replace, error);
    }
    bool made = false;
  } output;
  CoreList library;
  const std::u16string out = temp.path();
  const std::string destination(out.begin(), out.end());
  ASSERT_TRUE(SaveList(engine, output, library, destination + "\\",
                       ListSaveArguments::From({list, 8, 0, 1, 9, 3})));
  quorrin::ClearList(list);

  auto cluster = [&](int row) { return Slice(image, (40 + (1 + row) * 8) * 512, 100); };
  const std::u16string docs = out + u"\\Docs\\";
  EXPECT_EQ(ReadWholeFile(docs + u"a.txt"), cluster(0));
  EXPECT_EQ(ReadWholeFile(docs + u"b.txt"), cluster(1));
  EXPECT_EQ(ReadWholeFile(docs + u"B1.TXT"), cluster(2));
  EXPECT_EQ(ReadWholeFile(docs + u"a1.txt"), cluster(3));
  EXPECT_EQ(ReadWholeFile(docs + u"c.txt"), (std::vector<uint8_t>{'o', 't', 'h', 'e', 'r'}));
  EXPECT_EQ(ReadWholeFile(docs + u"c1.txt"), cluster(4));
  EXPECT_EQ(engine.save_progress.counter_a, 5u);
  EXPECT_EQ(engine.save_progress.counter_b, 1u);
}

// GetSaveSize as the front end calls it, by name from Scavrel.dll, on a node of a tree built
// in this process.
class SaveSizeDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { scavrel_dll::LoadScavrel(); }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    tree_.set_record_form(RecordForm::kFat);
    scavrel_dll::Call<uint8_t (*)(uint8_t)>("SetNtfs")(0);
  }
  static uint8_t GetSaveSize(const char* destination, FoundNode* node, uint64_t* size) {
    using Fn = uint8_t (*)(const char*, FoundNode*, uint64_t*);
    return scavrel_dll::Call<Fn>("GetSaveSize")(destination, node, size);
  }
  FoundTree tree_;
};

TEST_F(SaveSizeDll, CountsWholeClustersOfTheDestinationsVolume) {
  char temp[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  char volume[1000] = {};
  ASSERT_TRUE(GetVolumePathNameA(temp, volume, sizeof(volume)));
  DWORD sectors = 0, bytes = 0, free_clusters = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA(volume, &sectors, &bytes, &free_clusters, &clusters));
  const uint64_t cluster = uint64_t{sectors} * bytes;
  ASSERT_GT(cluster, 0u);

  FoundNode* root = NamedFolder(tree_, nullptr, u"X:\\", kMixed, false);
  FoundNode* folder = NamedFolder(tree_, root, u"Docs", kUnchecked);
  FatFile(tree_, folder, u"a.txt", 1000, 5, 1);
  FatFile(tree_, folder, u"b.txt", static_cast<uint32_t>(cluster), 6, 1);
  FoundNode* empty = FatFile(tree_, folder, u"c.txt", 0, 7, 0);

  uint64_t size = 0;
  EXPECT_EQ(GetSaveSize(temp, folder, &size), 1);
  EXPECT_EQ(size, 2 * cluster);  // 1,000 bytes take a whole cluster; 0 bytes none
  EXPECT_EQ(GetSaveSize(temp, empty, &size), 1);
  EXPECT_EQ(size, 0u);
  // The DLL's own tree is empty: nothing to save, and that always fits.
  EXPECT_EQ(GetSaveSize(temp, nullptr, &size), 1);
  EXPECT_EQ(size, 0u);
}

TEST_F(SaveSizeDll, AnUnknownDestinationVolumeIsRefused) {
  uint64_t size = 123;
  EXPECT_EQ(GetSaveSize("Q:\\nowhere\\", nullptr, &size), 0);
  EXPECT_EQ(size, 123u);
  EXPECT_EQ(GetSaveSize(nullptr, nullptr, &size), 0);
}

}  // namespace
}  // namespace scavrel
