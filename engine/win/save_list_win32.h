// The list-driven save's Win32 side: Quorrin.dll loaded by name for each run, its two list
// functions bound by name, the library freed when the run ends.
#pragma once

#include "engine/save_list.h"

namespace scavrel {

class Win32ListLibrary : public ListLibrary {
 public:
  bool Load(ListBinding* binding, uint32_t* error) override;
  void Free(const ListBinding& binding) override;
};

// The library Scavrel.dll installs at load.
Win32ListLibrary& TheWin32ListLibrary();

}  // namespace scavrel
