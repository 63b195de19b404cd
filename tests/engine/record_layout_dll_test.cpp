// The records the front end reads in place, checked at run time in the process that loads the
// real Scavrel.dll and Quorrin.dll: found nodes, both entry-record forms with their extent
// lists and attribute blocks, and the sorted lists' cells. The offsets are the 32-bit
// program's table, written out here rather than taken from engine/found_tree.h, so that a
// change of the shared header that moves a field fails here. On a 64-bit build each
// pointer-sized field before a field moves it by four bytes; on the 32-bit deliverable the
// table is read as it stands.
//
// The volumes are hand-made (a FAT16 volume by HandFat, an NTFS volume by ntfs_test::Volume)
// and written to the temporary folder: a live folder holding a deleted file with a long name,
// and deleted files beside it, with known times and sizes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "quorrin/quorrin_api.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/ntfs_test_volume.h"
#include "tests/engine/scavrel_dll.h"

namespace {

using scavrel_dll::Bool8;
using scavrel_dll::Call;

// A field of a shared record: its 32-bit offset and how many pointers lie before it.
struct Field {
  size_t at32;
  size_t pointers_before;
  size_t At() const { return at32 + (sizeof(void*) - 4) * pointers_before; }
};

namespace node {
constexpr Field kChildCount{6, 0}, kDepth{10, 0}, kCheckState{12, 0}, kHasChildren{13, 0},
    kDirectory{14, 0}, kDeleted{15, 0}, kValid{16, 0}, kParent{26, 2}, kFirstChild{30, 3},
    kLastChild{34, 4}, kNextSibling{38, 5}, kPreviousSibling{42, 6}, kRecord{46, 7};
}  // namespace node

// EntryRecord: the extent list at 8 holds four pointers (first, last, cursor, current run).
namespace record {
constexpr Field kExtents{8, 0}, kFreeClusters{8 + 32, 4}, kTotalClusters{8 + 56, 4},
    kAttributes{136, 4};
constexpr Field kFatLongName{168, 4}, kFatShortName{172, 5};
constexpr Field kNtfsResidentData{202, 4}, kNtfsLongName{204, 4}, kNtfsShortName{208, 5};
}  // namespace record

template <typename T>
T Read(const void* base, Field field) {
  T value;
  std::memcpy(&value, static_cast<const uint8_t*>(base) + field.At(), sizeof value);
  return value;
}

const uint8_t* Pointer(const void* base, Field field) {
  return Read<const uint8_t*>(base, field);
}

std::string Ansi(const char16_t* wide) {
  if (wide == nullptr || *wide == 0) return "";
  const auto* w = reinterpret_cast<const wchar_t*>(wide);
  int bytes = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, -1, out.data(), bytes, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

std::string DictionaryName(const uint8_t* record) {
  char buffer[1001] = {};
  char* out = buffer;
  Call<Bool8 (*)(const uint8_t*, char**)>("GetDictionaryName")(record, &out);
  return buffer;
}

struct Attributes {
  const uint8_t* block = nullptr;
  const uint8_t* extents = nullptr;
  uint64_t free = 0, total = 0, first = 0;
};

Attributes FileAttributes(const uint8_t* record) {
  Attributes a;
  Call<Bool8 (*)(const uint8_t*, const uint8_t**, const uint8_t**, uint64_t*, uint64_t*,
                 uint64_t*)>("GetpFileAttr")(record, &a.block, &a.extents, &a.free, &a.total,
                                             &a.first);
  return a;
}

uint8_t CheckState(const uint8_t* n) {
  uint8_t state = 0;
  Call<Bool8 (*)(const uint8_t*, uint8_t*)>("GetnSelect")(n, &state);
  return state;
}

// One node reached through the raw links, with the path the front end would show.
struct Reached {
  const uint8_t* node;
  std::string path;
};

class RecordLayoutDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { scavrel_dll::LoadScavrel(); }
  static void TearDownTestSuite() { scavrel_dll::FreeScavrel(); }
  void SetUp() override {
    ASSERT_NE(scavrel_dll::g_scavrel, nullptr) << "LoadLibrary failed: " << GetLastError();
    image_ = scavrel_dll::TempPath(std::string("tolvane-layout-") +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                   "-") + ".img";
  }
  void TearDown() override {
    if (scavrel_dll::g_scavrel) Call<Bool8 (*)()>("ClearRecovery")();
    DeleteFileA(image_.c_str());
  }

  void Scan(const std::vector<uint8_t>& bytes, bool ntfs) {
    {
      std::ofstream out(image_, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    Call<Bool8 (*)(uint8_t)>("SetNtfs")(ntfs ? 1 : 0);
    const char* start = ntfs ? "ProcNtfs" : "ProcFat";
    ASSERT_NE(Call<Bool8 (*)(const char*, const char*, uint8_t)>(start)("X:\\", image_.c_str(), 0), 0);
    scavrel_dll::WaitFor("GetProgress");
  }

  // Walks the tree by the raw links only, checking at every node that the links, counts and
  // depths agree with each other and the check state with GetnSelect; the nodes reached.
  std::vector<Reached> WalkRaw() {
    std::vector<Reached> reached;
    const uint8_t* root = nullptr;
    uint64_t has = Call<uint64_t (*)(const uint8_t**)>("GetTreeFirst")(&root);
    EXPECT_NE(has & 0xFF, 0u);
    if ((has & 0xFF) == 0 || root == nullptr) return reached;
    EXPECT_EQ(Read<uint16_t>(root, node::kDepth), 1);
    std::vector<Reached> stack{{root, ""}};
    while (!stack.empty()) {
      Reached at = stack.back();
      stack.pop_back();
      reached.push_back(at);
      const uint8_t* n = at.node;
      EXPECT_EQ(Read<uint8_t>(n, node::kCheckState), CheckState(n)) << at.path;
      EXPECT_EQ(Read<uint8_t>(n, node::kValid), 1) << at.path;
      uint32_t children = 0;
      const uint8_t* previous = nullptr;
      for (const uint8_t* c = Pointer(n, node::kFirstChild); c != nullptr;
           c = Pointer(c, node::kNextSibling)) {
        ++children;
        EXPECT_EQ(Pointer(c, node::kParent), n) << at.path;
        EXPECT_EQ(Pointer(c, node::kPreviousSibling), previous) << at.path;
        EXPECT_EQ(Read<uint16_t>(c, node::kDepth), Read<uint16_t>(n, node::kDepth) + 1) << at.path;
        const uint8_t* r = Pointer(c, node::kRecord);
        std::string name = r ? DictionaryName(r) : "?";
        stack.push_back({c, at.path.empty() ? name : at.path + "/" + name});
        previous = c;
        if (children > 1000) break;  // a loop in the links: the counts below fail
      }
      EXPECT_EQ(Read<uint32_t>(n, node::kChildCount), children) << at.path;
      EXPECT_EQ(Read<uint8_t>(n, node::kHasChildren), children != 0 ? 1 : 0) << at.path;
      EXPECT_EQ(Pointer(n, node::kLastChild), previous) << at.path;
    }
    return reached;
  }

  // The record's head as GetpFileAttr hands it out and as the front end reads it in place.
  Attributes CheckRecordHead(const uint8_t* r, const std::string& path) {
    Attributes a = FileAttributes(r);
    EXPECT_EQ(a.block, r + record::kAttributes.At()) << path;
    EXPECT_EQ(a.extents, r + record::kExtents.At()) << path;
    EXPECT_EQ(Read<uint64_t>(r, record::kFreeClusters), a.free) << path;
    EXPECT_EQ(Read<uint64_t>(r, record::kTotalClusters), a.total) << path;
    return a;
  }

  const Reached* Find(const std::vector<Reached>& nodes, const std::string& path) {
    for (const Reached& r : nodes) {
      if (r.path == path) return &r;
    }
    ADD_FAILURE() << "no node at " << path;
    return nullptr;
  }

  std::string image_;
};

TEST_F(RecordLayoutDll, FatNodesAndRecordsHoldTheirFieldsWhereTheFrontEndReadsThem) {
  using scavrel::fat::testing::HandFat;
  HandFat fat;
  fat.Entry(fat.Root(0), "DOCS       ", 0x10, 10, 0);
  fat.Chain(10, 1);
  fat.Dots(10, 0);
  int parts = HandFat::LongName(fat.Slot(10, 2), u"Quarterly report.txt", true);
  uint8_t* entry = fat.Slot(10, 2 + parts);
  HandFat::Entry(entry, "\xE5UARTE~1TXT", 0x20, 20, 1500);
  scavrel::WriteLe16(entry + 14, 0x5A21);  // creation time and date
  scavrel::WriteLe16(entry + 16, 0x3A45);
  scavrel::WriteLe16(entry + 22, 0x6B12);  // write time and date
  scavrel::WriteLe16(entry + 24, 0x3A46);
  HandFat::Entry(fat.Root(1), "\xE5NE     BIN", 0x20, 30, 100);
  Scan(fat.bytes, false);

  std::vector<Reached> nodes = WalkRaw();
  ASSERT_EQ(nodes.size(), 4u);  // the root, DOCS, its file and the root's file
  for (const Reached& at : nodes) {
    const uint8_t* r = Pointer(at.node, node::kRecord);
    if (r == nullptr) continue;
    CheckRecordHead(r, at.path);
    const auto* long_name = Read<const char16_t*>(r, record::kFatLongName);
    const auto* short_name = Read<const char16_t*>(r, record::kFatShortName);
    std::string shown = Ansi(long_name).empty() ? Ansi(short_name) : Ansi(long_name);
    if (!at.path.empty()) EXPECT_EQ(shown, DictionaryName(r)) << at.path;
  }

  const Reached* file = Find(nodes, "DOCS/Quarterly report.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(Read<uint8_t>(file->node, node::kDeleted), 1);
  EXPECT_EQ(Read<uint8_t>(file->node, node::kDirectory), 0);
  const uint8_t* r = Pointer(file->node, node::kRecord);
  Attributes a = CheckRecordHead(r, file->path);
  // The directory entry as stored, and the words the front end's columns read from it.
  EXPECT_EQ(std::memcmp(a.block, entry, 32), 0);
  EXPECT_EQ(scavrel::ReadLe16(scavrel::ByteSpan(a.block, 32), 14), 0x5A21);
  EXPECT_EQ(scavrel::ReadLe16(scavrel::ByteSpan(a.block, 32), 24), 0x3A46);
  EXPECT_EQ(scavrel::ReadLe32(scavrel::ByteSpan(a.block, 32), 28), 1500u);
  EXPECT_EQ(a.total, 3u);  // 1500 bytes in 512-byte clusters
  EXPECT_EQ(a.first, 20u);
  EXPECT_EQ(Ansi(Read<const char16_t*>(r, record::kFatLongName)), "Quarterly report.txt");

  const Reached* docs = Find(nodes, "DOCS");
  ASSERT_NE(docs, nullptr);
  EXPECT_EQ(Read<uint8_t>(docs->node, node::kDirectory), 1);
  EXPECT_EQ(Read<uint8_t>(docs->node, node::kDeleted), 0);

  // A tick given through the export lands in the byte the front end reads.
  ASSERT_NE(Call<Bool8 (*)(const uint8_t*, uint32_t)>("ClickNtfsNode")(file->node, 3), 0);
  EXPECT_EQ(Read<uint8_t>(file->node, node::kCheckState), 3);
  EXPECT_EQ(CheckState(file->node), 3);
}

TEST_F(RecordLayoutDll, NtfsRecordsHoldTheirFlagsNamesAndFileNameHeadWhereTheFrontEndReadsThem) {
  ntfs_test::Volume v;
  using ntfs_test::Record;
  v.SetRecord(16, Record(3).FileName(5, u"docs").Finish());
  v.SetRecord(17, Record(0).FileName(16, u"note.txt", 1, 5)
                      .Resident(0x80, ntfs_test::Bytes("hello")).Finish());
  v.SetRecord(18, Record(0).FileName(16, u"big.bin", 1, 8000, 8192)
                      .NonResident(0x80, {0x11, 0x02, 0x30}, 0, 1, 8000).Finish());
  Scan(v.Image(), true);

  std::vector<Reached> nodes = WalkRaw();
  for (const Reached& at : nodes) {
    const uint8_t* r = Pointer(at.node, node::kRecord);
    if (r == nullptr || at.path.empty()) continue;
    CheckRecordHead(r, at.path);
    const auto* long_name = Read<const char16_t*>(r, record::kNtfsLongName);
    const auto* short_name = Read<const char16_t*>(r, record::kNtfsShortName);
    std::string shown = Ansi(long_name).empty() ? Ansi(short_name) : Ansi(long_name);
    EXPECT_EQ(shown, DictionaryName(r)) << at.path;
  }

  const Reached* note = Find(nodes, "docs/note.txt");
  const Reached* big = Find(nodes, "docs/big.bin");
  ASSERT_TRUE(note != nullptr && big != nullptr);
  const uint8_t* rn = Pointer(note->node, node::kRecord);
  const uint8_t* rb = Pointer(big->node, node::kRecord);
  EXPECT_EQ(Read<uint8_t>(rn, record::kNtfsResidentData), 1);
  EXPECT_EQ(Read<uint8_t>(rb, record::kNtfsResidentData), 0);
  Attributes a = CheckRecordHead(rb, big->path);
  // The file-name head: creation and modification times at 8 and 16, the size at 48, the
  // name's length and namespace at 64 and 65.
  scavrel::ByteSpan head(a.block, 66);
  EXPECT_EQ(scavrel::ReadLe64(head, 8), 0x01D0000000000000ull);
  EXPECT_EQ(scavrel::ReadLe64(head, 16), 0x01D0000000000001ull);
  EXPECT_EQ(scavrel::ReadLe64(head, 48), 8000u);
  EXPECT_EQ(head[64], 7);
  EXPECT_EQ(head[65], 1);
  EXPECT_EQ(a.total, 2u);
  EXPECT_EQ(a.first, 48u);
  EXPECT_EQ(Read<uint8_t>(big->node, node::kDeleted), 1);
  EXPECT_EQ(Ansi(Read<const char16_t*>(rb, record::kNtfsLongName)), "big.bin");
}

// Quorrin.dll's cells as the front end and the engine's list-driven save exchange them: an
// integer cell is exactly pointer-wide (it carries found-node addresses: 4 bytes on the 32-bit
// program), and a text copied out by GetSortValue is cut to 1,000 bytes with its terminator.
TEST(QuorrinCellLayout, IntegerCellsArePointerWideAndTextCellsEndWithinTheirStorage) {
  HMODULE quorrin = LoadLibraryA("Quorrin.dll");
  ASSERT_NE(quorrin, nullptr) << "LoadLibrary failed: " << GetLastError();
  auto bind = [quorrin](const char* name) { return reinterpret_cast<void*>(GetProcAddress(quorrin, name)); };
  using quorrin_api::IntegerCell;
  using quorrin_api::SortedListHandle;
  auto add_list = reinterpret_cast<SortedListHandle(__cdecl*)()>(bind("AddList"));
  auto field_add = reinterpret_cast<int32_t(__cdecl*)(const char*, int32_t, SortedListHandle)>(bind("FieldAdd"));
  auto add = reinterpret_cast<int32_t(__cdecl*)(SortedListHandle)>(bind("Add"));
  auto set_value = reinterpret_cast<int32_t(__cdecl*)(const void*, uint32_t, SortedListHandle)>(bind("SetValue"));
  auto get_sort_value = reinterpret_cast<quorrin_api::GetSortValueFn>(bind("GetSortValue"));
  auto delete_all = reinterpret_cast<int32_t(__cdecl*)()>(bind("DeleteAll"));

  SortedListHandle list = add_list();
  ASSERT_NE(list, 0u);
  ASSERT_EQ(field_add("a9", kQuorrinFieldInteger, list), 1);
  ASSERT_EQ(field_add("a1", kQuorrinFieldText, list), 1);
  ASSERT_EQ(add(list), 1);
  // The cell is read from a variable followed by other bytes: only the variable's own bytes
  // may be taken.
  struct {
    IntegerCell cell;
    uint8_t after[8];
  } in{};
  in.cell = reinterpret_cast<IntegerCell>(&in);
  std::memset(in.after, 0x5A, sizeof in.after);
  ASSERT_EQ(set_value(&in.cell, 0, list), 1);
  const std::string long_text(1500, 'x');
  ASSERT_EQ(set_value(long_text.c_str(), 1, list), 1);

  std::vector<uint8_t> storage(1100, 0xCC);
  void* address = storage.data();
  ASSERT_EQ(get_sort_value(&address, 0, 0, list), 1);
  IntegerCell back = 0;
  std::memcpy(&back, storage.data(), sizeof back);
  EXPECT_EQ(back, in.cell);
  EXPECT_EQ(storage[sizeof(IntegerCell)], 0xCC) << "an integer cell wider than a pointer";
  EXPECT_EQ(sizeof(IntegerCell), sizeof(void*));

  std::fill(storage.begin(), storage.end(), 0xCC);
  ASSERT_EQ(get_sort_value(&address, 0, 1, list), 1);
  EXPECT_EQ(storage[kQuorrinCellTextStorage - 1], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(storage.data())), long_text.substr(0, 999));
  EXPECT_EQ(storage[kQuorrinCellTextStorage], 0xCC);
  delete_all();
  FreeLibrary(quorrin);
}

}  // namespace
