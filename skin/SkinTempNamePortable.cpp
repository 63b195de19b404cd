// Temporary names for the portable build: the system's temporary folder and a random braced
// GUID, so the native tests exercise the same file handling as the Windows program.
#include <cstdio>
#include <filesystem>
#include <random>

#include "skin/SkinTempName.h"

namespace skin {

std::string NewSkinTempName() {
  static std::mt19937_64 random{std::random_device{}()};
  uint64_t a = random(), b = random();
  char guid[40];
  std::snprintf(guid, sizeof guid, "{%08X-%04X-%04X-%04X-%012llX}",
                static_cast<unsigned>(a >> 32), static_cast<unsigned>((a >> 16) & 0xFFFF),
                static_cast<unsigned>(a & 0xFFFF), static_cast<unsigned>(b >> 48),
                static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFull));
  return (std::filesystem::temp_directory_path() / guid).string();
}

}  // namespace skin
