// Temporary names on Windows: GetTempPathA (260 characters, trailing backslash added when
// missing) followed by CoCreateGuid's GUID in braced text form.
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "skin/SkinTempName.h"

namespace skin {

std::string NewSkinTempName() {
  char folder[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(MAX_PATH, folder);
  std::string name(folder, length <= MAX_PATH ? length : 0);
  if (name.empty() || name.back() != '\\') name += '\\';
  GUID guid{};
  CoCreateGuid(&guid);
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return name + text;
}

}  // namespace skin
