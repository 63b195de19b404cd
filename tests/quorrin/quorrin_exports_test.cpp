// Quorrin.dll loaded by name, as the engine loads it for a list-driven save: every export
// resolves by its undecorated name, and the list contract holds through the exports, with the
// engine's own reading loop (1,000-byte cell buffer, check state in its first 4 bytes).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "quorrin/quorrin_api.h"

namespace {

using quorrin_api::IntegerCell;
using quorrin_api::SortedListHandle;

const char* const kExports[] = {
    "AddList", "DeleteAll", "ClearList",    "FieldRemoveall", "FieldAdd",     "Add",
    "SetValue", "UpdateList", "GetListCount", "Sort",          "GetSortValue", "SetSortValue",
    "GetSortText",
};

using AddListFn = SortedListHandle(__cdecl*)();
using DeleteAllFn = int32_t(__cdecl*)();
using ListFn = int32_t(__cdecl*)(SortedListHandle);
using FieldAddFn = int32_t(__cdecl*)(const char*, int32_t, SortedListHandle);
using SetValueFn = int32_t(__cdecl*)(const void*, uint32_t, SortedListHandle);
using SortFn = int32_t(__cdecl*)(const char*, int32_t, SortedListHandle);
using SetSortValueFn = int32_t(__cdecl*)(const void*, uint32_t, uint32_t, SortedListHandle);

class QuorrinDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { module_ = LoadLibraryA("Quorrin.dll"); }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "LoadLibrary failed: " << GetLastError(); }
  void TearDown() override {
    if (module_) Bind<DeleteAllFn>("DeleteAll")();
  }

  template <typename F>
  static F Bind(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

  // A hit list as the scan watch thread builds it: six text fields, four integer fields
  // (size, image, check state, node).
  SortedListHandle FillHitList() {
    SortedListHandle list = Bind<AddListFn>("AddList")();
    EXPECT_NE(list, 0u);
    auto field_add = Bind<FieldAddFn>("FieldAdd");
    auto set_value = Bind<SetValueFn>("SetValue");
    EXPECT_EQ(Bind<ListFn>("ClearList")(list), 1);
    EXPECT_EQ(Bind<ListFn>("FieldRemoveall")(list), 1);
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(field_add("a", i < 6 ? kQuorrinFieldText : kQuorrinFieldInteger, list), 1);
    }
    struct Row { const char* folder; const char* name; IntegerCell size, state, node; } rows[] = {
        {"E:\\Docs\\", "b.doc", 300, 3, reinterpret_cast<IntegerCell>(&nodes_[0])},
        {"E:\\", "A.txt", 20, 1, reinterpret_cast<IntegerCell>(&nodes_[1])},
        {"E:\\Docs\\Old\\", "c.bin", 1, 3, reinterpret_cast<IntegerCell>(&nodes_[2])},
        {"E:\\", "d.txt", 4000, 3, 0},
    };
    for (const Row& r : rows) {
      EXPECT_EQ(Bind<ListFn>("Add")(list), 1);
      const char* texts[6] = {r.folder, r.name, "Good", "1 KB", "2009-01-01", "2009-01-02"};
      for (uint32_t f = 0; f < 6; ++f) EXPECT_EQ(set_value(texts[f], f, list), 1);
      IntegerCell image = 0;
      EXPECT_EQ(set_value(&r.size, 6, list), 1);
      EXPECT_EQ(set_value(&image, 7, list), 1);
      EXPECT_EQ(set_value(&r.state, 8, list), 1);
      EXPECT_EQ(set_value(&r.node, 9, list), 1);
    }
    EXPECT_EQ(Bind<ListFn>("UpdateList")(list), 1);
    return list;
  }

  static HMODULE module_;
  uint64_t nodes_[3] = {};  // stand-ins for found nodes: real addresses of this process
};

HMODULE QuorrinDll::module_ = nullptr;

TEST_F(QuorrinDll, EveryExportResolvesByItsUndecoratedName) {
  for (const char* name : kExports) {
    EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
  }
}

TEST_F(QuorrinDll, ListFilledSortedAndReadThroughTheExports) {
  SortedListHandle list = FillHitList();
  auto count = Bind<quorrin_api::GetListCountFn>("GetListCount");
  auto get = Bind<quorrin_api::GetSortValueFn>("GetSortValue");
  auto sort = Bind<SortFn>("Sort");
  ASSERT_EQ(count(list), 4u);

  char cell[5001];
  void* variable = cell;
  ASSERT_EQ(sort("1|1", 1, list), 1);
  std::vector<std::string> names;
  for (uint32_t row = 0; row < 4; ++row) {
    ASSERT_EQ(get(&variable, row, 1, list), 1);
    names.push_back(cell);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.doc", "c.bin", "d.txt"}));

  ASSERT_EQ(sort("6|2", 1, list), 1);
  IntegerCell value = 0;
  variable = &value;
  ASSERT_EQ(get(&variable, 0, 6, list), 1);
  EXPECT_EQ(value, 4000);
  ASSERT_EQ(get(&variable, 3, 6, list), 1);
  EXPECT_EQ(value, 1);
  ASSERT_EQ(get(&variable, 3, 9, list), 1);
  EXPECT_EQ(value, reinterpret_cast<IntegerCell>(&nodes_[2])) << "the node address keeps every bit";

  IntegerCell unchecked = 1;
  ASSERT_EQ(Bind<SetSortValueFn>("SetSortValue")(&unchecked, 3, 8, list), 1);
  ASSERT_EQ(get(&variable, 3, 8, list), 1);
  EXPECT_EQ(value, 1);

  // Unknown handles, rows and fields: refused, no fault.
  EXPECT_EQ(count(list + 77), 0u);
  EXPECT_EQ(get(&variable, 4, 1, list), 0);
  EXPECT_EQ(get(&variable, 0, 10, list), 0);
  EXPECT_EQ(get(nullptr, 0, 1, list), 0);
  EXPECT_EQ(sort("1|9", 1, list), 0);
  EXPECT_EQ(Bind<SetValueFn>("SetValue")(&unchecked, 10, list), 0);
  EXPECT_EQ(Bind<FieldAddFn>("FieldAdd")("a", 5, list), 0);
  EXPECT_EQ(Bind<DeleteAllFn>("DeleteAll")(), 1);
  EXPECT_EQ(count(list), 0u);
}

// The engine's list-driven save: a second load of the library by name (the front end keeps the
// first), a zeroed 1,000-byte cell buffer, the check state compared in its first 4 bytes, the
// node read from the node field, the folder text read last.
TEST_F(QuorrinDll, EngineStyleReaderFindsTheCheckedRowsOfAListMadeElsewhere) {
  SortedListHandle list = FillHitList();
  HMODULE again = LoadLibraryA("Quorrin.dll");
  ASSERT_EQ(again, module_) << "one library, one set of lists per process";
  auto count = reinterpret_cast<quorrin_api::GetListCountFn>(
      reinterpret_cast<void*>(GetProcAddress(again, "GetListCount")));
  auto get = reinterpret_cast<quorrin_api::GetSortValueFn>(
      reinterpret_cast<void*>(GetProcAddress(again, "GetSortValue")));
  ASSERT_NE(count, nullptr);
  ASSERT_NE(get, nullptr);

  std::vector<char> buffer(kQuorrinCellTextStorage, 0);
  void* variable = buffer.data();
  std::vector<std::string> saved;
  uint32_t rows = count(list);
  for (uint32_t row = 0; row < rows; ++row) {
    get(&variable, row, 8, list);
    int32_t state;
    std::memcpy(&state, buffer.data(), 4);
    if (state != 3) continue;
    get(&variable, row, 9, list);
    IntegerCell node;
    std::memcpy(&node, buffer.data(), sizeof node);
    if (node == 0) continue;
    get(&variable, row, 0, list);
    saved.push_back(std::string(buffer.data()) + "|" +
                    std::to_string(reinterpret_cast<uint64_t*>(node) - nodes_));
  }
  EXPECT_EQ(variable, buffer.data());
  EXPECT_EQ(saved, (std::vector<std::string>{"E:\\Docs\\|0", "E:\\Docs\\Old\\|2"}));
  FreeLibrary(again);
  EXPECT_EQ(Bind<quorrin_api::GetListCountFn>("GetListCount")(list), 4u)
      << "the engine's FreeLibrary leaves the front end's lists alone";
}

}  // namespace
