// Copies of texts into the callers' buffers (names reach them through engine/ansi_text.h).
// The interface passes buffers without a length; the callers' buffers have documented sizes
// (1,001 bytes for paths and names, 101 for file-system names) and no copy writes past them.
#pragma once

#include <string>

#include "engine/scavrel_api.h"

namespace scavrel {

// Copies `text` into `buffer` (capacity bytes, terminator included), cut to fit.
void CopyTextToBuffer(char* buffer, size_t capacity, const std::string& text);

// Copies `text` into the buffer an OutText names; nothing happens for a null OutText.
void CopyOutText(scavrel_api::OutText out, const std::string& text,
                 size_t capacity = kOutTextPathSize);

}  // namespace scavrel
