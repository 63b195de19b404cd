// Fuzzes the filters with user text and damaged records: a name filter text, a file name, a
// FAT directory entry, a file-name head and the six bounds all come from the input, under a
// single-byte and a double-byte code page. Nothing may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/ansi_text.h"
#include "engine/check_states.h"
#include "engine/engine.h"
#include "engine/filters.h"

namespace {

class DoubleByteCodePage : public scavrel::AnsiCodePage {
 public:
  bool IsLeadByte(uint8_t byte) const override { return byte >= 0x81 && byte <= 0xFE; }
};

// Takes bytes from the front of the input, zeros once it runs out.
struct Reader {
  const uint8_t* data;
  size_t size;
  void Take(void* out, size_t n) {
    size_t k = n < size ? n : size;
    std::memset(out, 0, n);
    if (k > 0) std::memcpy(out, data, k);
    data += k;
    size -= k;
  }
  std::string Line() {
    std::string out;
    while (size > 0) {
      char c = static_cast<char>(*data++);
      --size;
      if (c == '\n') break;
      out.push_back(c);
    }
    return out;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const DoubleByteCodePage double_byte;
  Reader in{data, size};
  uint8_t flags = 0;
  in.Take(&flags, 1);
  scavrel::SetAnsiCodePage((flags & 1) ? &double_byte : nullptr);

  scavrel::Engine fat(scavrel::EngineKind::kFat);
  scavrel::Engine ntfs(scavrel::EngineKind::kNtfs);
  for (int i = 0; i < scavrel::kFilterBoundCount; ++i) {
    int64_t bound = scavrel::kBoundNotSet;
    if (flags & (2 << i)) in.Take(&bound, sizeof(bound));
    fat.bounds[i] = ntfs.bounds[i] = bound;
  }
  uint8_t entry[32];
  in.Take(entry, sizeof(entry));
  uint8_t head[66];
  in.Take(head, sizeof(head));
  std::string filter_text = in.Line();
  std::string name = in.Line();

  scavrel::SplitNameFilter(filter_text, &fat.name_filters);
  scavrel::SplitNameFilter(filter_text, &ntfs.name_filters);
  std::string extension;
  scavrel::ExtensionOf(name, &extension);
  scavrel::FitAnsiText(name, scavrel::kFilterItemBufferSize);

  std::u16string wide(name.begin(), name.end());
  scavrel::FoundNode* fat_folder = fat.tree.NewNode();
  fat_folder->directory = fat_folder->valid = 1;
  scavrel::FoundNode* fat_file = fat.tree.NewNode();
  fat_file->valid = fat_file->deleted = 1;
  auto* fat_record = scavrel::NewFatRecord();
  std::memcpy(fat_record->dir_entry, entry, sizeof(entry));
  scavrel::SetWideName(&fat_record->long_name, wide.data(), wide.size());
  fat_file->record = scavrel::AsEntryRecord(fat_record);
  fat.tree.MoveNode(fat_file, fat_folder);
  scavrel::ClickNtfsNode(fat, fat_folder, 0);
  scavrel::ClickNode(fat, fat_file);

  scavrel::FoundNode* ntfs_folder = ntfs.tree.NewNode();
  ntfs_folder->directory = ntfs_folder->valid = 1;
  scavrel::FoundNode* ntfs_file = ntfs.tree.NewNode();
  ntfs_file->valid = ntfs_file->deleted = 1;
  auto* ntfs_record = scavrel::NewNtfsRecord();
  std::memcpy(ntfs_record->file_name, head, sizeof(head));
  scavrel::SetWideName(&ntfs_record->short_name, wide.data(), wide.size());
  ntfs_file->record = scavrel::AsEntryRecord(ntfs_record);
  ntfs.tree.MoveNode(ntfs_file, ntfs_folder);
  scavrel::ClickNtfsNode(ntfs, ntfs_file, 0);
  scavrel::ClickNode(ntfs, ntfs_file);

  scavrel::SetAnsiCodePage(nullptr);
  return 0;
}
