// Any bytes as Lang.rec: the reader must neither fault nor loop, and every entry it cuts must
// account for exactly the characters it removed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frontend/LangFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  vardeck::LanguageTexts texts;
  vardeck::ReadLanguageText(bytes, texts);

  const std::string joined = vardeck::JoinLanguageLines(bytes);
  std::string_view rest = joined;
  std::string key;
  std::string value;
  for (;;) {
    const size_t before = rest.size();
    const size_t cut = vardeck::ParseLanguageEntry(rest, key, value);
    if (cut == 0) break;
    if (cut != before - rest.size()) std::abort();
  }
  return 0;
}
