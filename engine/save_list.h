// The list-driven save (SaveDeleteFile1): the save thread reads the rows of one of Quorrin's
// sorted lists and saves the found node of every selected row into a folder rebuilt from the
// row's folder text, through the per-file step of the tree save. Portable: Quorrin is reached
// through ListLibrary, which Scavrel.dll answers with LoadLibraryA/GetProcAddress and tests
// answer with list functions of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/save_output.h"
#include "quorrin/quorrin_api.h"

namespace scavrel {

// The list functions one run uses, and what the library needs to release them. Folder texts
// are read with GetSortText, which hands out a text whole however long it is; GetSortValue
// cuts texts to 999 bytes.
struct ListBinding {
  quorrin_api::GetListCountFn get_list_count = nullptr;
  quorrin_api::GetSortValueFn get_sort_value = nullptr;
  quorrin_api::GetSortTextFn get_sort_text = nullptr;
  void* module = nullptr;
};

// Loads the sorted-list library for one run and releases it at the run's end. Stateless, so
// that the list saves of the two engines may run at the same time.
class ListLibrary {
 public:
  virtual ~ListLibrary() = default;
  // Every function bound; false with a system error code when the library or a function
  // cannot be had (nothing stays loaded then).
  virtual bool Load(ListBinding* binding, uint32_t* error) = 0;
  virtual void Free(const ListBinding& binding) = 0;
};

// The library the save thread uses (null: none installed, every list save ends at once). Not
// synchronised: set it before any save runs.
ListLibrary* CurrentListLibrary();
void SetListLibrary(ListLibrary* library);

// SaveDeleteFile1's six stored values, in their order.
struct ListSaveArguments {
  uint32_t list = 0;
  uint32_t selection_field = 0;
  uint32_t path_field = 0;
  uint32_t unused = 0;  // stored by the export, read by nobody
  uint32_t node_field = 0;
  uint32_t selection_value = 0;

  static ListSaveArguments From(const std::array<uint32_t, 6>& stored);
};

// The body the save thread runs for SaveDeleteFile1: saves below
// engine.save.list_destination the nodes of the selected rows of the list that
// engine.save.list_arguments name, through the installed output and list library. True unless
// stopped or the save could not run at all; the thread routine then sets the finished flag.
uint8_t SaveListThreadBody(Engine& engine);

// SaveListThreadBody's work with an explicit output, library, destination (ANSI) and
// arguments.
bool SaveList(Engine& engine, SaveOutput& output, ListLibrary& library,
              const std::string& destination, const ListSaveArguments& arguments);

// The part of a row's folder text that goes below the destination: the text after its first
// backslash and after every backslash that directly follows that one (C:\Docs\Old gives
// Docs\Old, \\server\share\x gives server\share\x); a text without a backslash is kept whole.
std::u16string CutFolderText(const std::u16string& text);

// The cut text as folders that stay below the destination: every component made safe as the
// tree save makes its names (".." and device names cannot climb out or open a device), empty
// components dropped, no trailing backslash.
std::u16string SafeFolderTail(const std::u16string& cut);

}  // namespace scavrel
