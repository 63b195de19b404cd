// Quorrin.dll for the list-driven save: LoadLibraryA by name (the front end has it loaded
// already, so this finds the same module and the list handles it made), GetProcAddress of
// "GetListCount", "GetSortValue" and "GetSortText", FreeLibrary at the end of the run.
#include "engine/win/save_list_win32.h"

#include <windows.h>

namespace scavrel {
namespace {

template <typename Function>
Function Bind(HMODULE module, const char* name) {
  FARPROC address = GetProcAddress(module, name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

}  // namespace

bool Win32ListLibrary::Load(ListBinding* binding, uint32_t* error) {
  HMODULE module = LoadLibraryA("Quorrin.dll");
  if (module == nullptr) {
    *error = GetLastError();
    return false;
  }
  binding->get_list_count = Bind<quorrin_api::GetListCountFn>(module, "GetListCount");
  binding->get_sort_value = Bind<quorrin_api::GetSortValueFn>(module, "GetSortValue");
  binding->get_sort_text = Bind<quorrin_api::GetSortTextFn>(module, "GetSortText");
  if (binding->get_list_count == nullptr || binding->get_sort_value == nullptr ||
      binding->get_sort_text == nullptr) {
    *error = GetLastError() != 0 ? GetLastError() : ERROR_PROC_NOT_FOUND;
    FreeLibrary(module);
    *binding = ListBinding();
    return false;
  }
  binding->module = module;
  return true;
}

void Win32ListLibrary::Free(const ListBinding& binding) {
  if (binding.module != nullptr) FreeLibrary(static_cast<HMODULE>(binding.module));
}

Win32ListLibrary& TheWin32ListLibrary() {
  static Win32ListLibrary library;
  return library;
}

namespace {
const bool g_list_library_installed = [] {
  SetListLibrary(&TheWin32ListLibrary());
  return true;
}();
}  // namespace

}  // namespace scavrel
