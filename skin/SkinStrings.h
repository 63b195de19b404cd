// The skinned library's texts in the resource string table (tools/make_skin_bitmaps.py writes
// the table with these ids), and the reader that falls back to the English text when an
// executable carries no such table.
#pragma once

#include <string>

namespace skin {

enum SkinStringId : unsigned {
  kStrMinimize = 64512,        // "Mi&nimize"
  kStrMaximizeRestore = 64513, // "Ma&ximize/Restore"
  kStrClose = 64514,           // "&Close"
};

std::string LoadSkinString(SkinStringId id, const char* fallback);

}  // namespace skin
