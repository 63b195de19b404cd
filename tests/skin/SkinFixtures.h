// Access to the fixtures that tools/skinpack/make_fixtures.py writes next to the test
// executables (see tests/skin/CMakeLists.txt).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace skin_test {

inline std::string FixturePath(const std::string& relative) {
  return "skin_fixtures/" + relative;
}

inline std::vector<uint8_t> ReadFixture(const std::string& relative) {
  std::ifstream in(FixturePath(relative), std::ios::binary);
  if (!in) throw std::runtime_error("missing fixture " + relative);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

}  // namespace skin_test
