// Fuzzes the save of one file with damaged geometry, runs, sizes, records and names from the
// input: a FAT or NTFS node (runs or resident data) over a small memory volume whose first
// bytes also come from the input, saved into the memory destination. Nothing may crash, read
// outside the volume or the buffers, or leave an output file of another size than recorded
// (or, for a file from runs, than its runs' clusters hold when those are fewer).
// The destination counts the bytes it is given rather than keeping them, and the volume is
// one buffer that stays allocated, so an input costs its save and not page faults; a save
// that allocates more than a few pieces' worth at once is a fault, whatever size it copies.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>

#include <atomic>
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/save_names.h"
#include "engine/save_session.h"
#include "engine/save_tree.h"
#include "tests/engine/save_test_support.h"

namespace {

using scavrel::save_test::MemoryOutput;

// The memory destination's folders, names and refusals, with each file's bytes counted.
class CountingOutput : public MemoryOutput {
 public:
  std::map<std::u16string, uint64_t> sizes;

  std::unique_ptr<scavrel::OutputFile> Create(const std::u16string& path, bool replace,
                                              uint32_t* error) override {
    if (!MemoryOutput::Create(path, replace, error)) return nullptr;
    auto file = std::make_unique<File>();
    file->size = &sizes[Key(DrivePath(path))];
    *file->size = 0;
    return file;
  }

 private:
  struct File : scavrel::OutputFile {
    uint64_t* size;
    bool Write(const void*, size_t length, uint32_t*) override {
      *size += length;
      return true;
    }
  };
};

// The piece buffer (one piece and two sectors of up to 64 KiB) is the most a save holds at
// once.
constexpr size_t kLargestAllocation = scavrel::kSavePieceBytes + 2 * 65536;
std::atomic<bool> watching{false};

void OnMalloc(const volatile void*, size_t size) {
  if (!watching.load(std::memory_order_relaxed) || size <= kLargestAllocation) return;
  watching = false;
  std::fprintf(stderr, "==save_fuzz: the save allocated %zu bytes in one piece\n", size);
  __sanitizer_print_stack_trace();
  std::abort();
}
void OnFree(const volatile void*) {}

struct Reader {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T Take() {
    T value{};
    size_t k = sizeof(T) < size ? sizeof(T) : size;
    if (k > 0) std::memcpy(&value, data, k);
    data += k;
    size -= k;
    return value;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scavrel;
  Reader in{data, size};
  const uint8_t flags = in.Take<uint8_t>();
  const bool ntfs = flags & 1;
  VolumeGeometry geometry;
  geometry.bytes_per_sector = in.Take<uint16_t>();
  geometry.sectors_per_cluster = in.Take<uint8_t>();
  geometry.first_data_sector = in.Take<uint16_t>();
  geometry.sectors_per_record = in.Take<uint8_t>();
  const uint64_t file_size = in.Take<uint32_t>() % (1u << 20);
  const int runs = in.Take<uint8_t>() % 6;
  std::vector<std::pair<uint64_t, uint64_t>> run_list;
  for (int i = 0; i < runs; ++i) {
    uint64_t first = in.Take<uint64_t>();
    uint64_t count = in.Take<uint64_t>();
    if (flags & 16) first %= 128;  // mostly inside the volume
    run_list.emplace_back(first, count);
  }
  const size_t name_units = in.Take<uint8_t>() + (flags & 32 ? 200 : 0);
  std::u16string name;
  for (size_t i = 0; i < name_units && in.size >= 2; ++i) name += in.Take<char16_t>();

  // The rest of the input is the start of the volume (records for the resident case).
  static std::vector<uint8_t> image(64 * 1024);
  std::memset(image.data(), 0x5A, image.size());
  std::memcpy(image.data(), in.data, in.size < image.size() ? in.size : image.size());

  LastError error;
  Engine engine(ntfs ? EngineKind::kNtfs : EngineKind::kFat);
  engine.last_error = &error;
  engine.save_flags.stop = 0;
  engine.auto_rename = (flags & 4) ? 1 : 0;
  save_test::OpenVolume(engine, image, geometry);
  FoundNode* root = save_test::NamedFolder(engine.tree, nullptr, u"T:\\", kMixed, false);
  FoundNode* node = nullptr;
  if (ntfs) {
    node = save_test::NtfsFile(engine.tree, root, name, file_size);
    AsNtfsRecord(node->record)->resident_data = (flags & 2) ? 1 : 0;
  } else {
    node = save_test::FatFile(engine.tree, root, name, static_cast<uint32_t>(file_size), 0, 0);
    ClearRuns(&node->record->extents);
  }
  for (const auto& [first, count] : run_list) save_test::AddRun(node, first, count);

  CountingOutput output;
  output.folders.insert(u"T:\\OUT");
  output.volume_names_creatable = (flags & 8) != 0;
  if (flags & 64) output.files[u"T:\\OUT\\" + MemoryOutput::Key(SafeOutputName(name))] = {1};
  watching = true;
  SaveTree(engine, output, "T:\\out\\", (flags & 128) ? node : nullptr);
  watching = false;

  // A file from runs ends where its runs' clusters end when the record claims more, and where
  // its last byte on the volume is (an NTFS sparse run counts as there); resident data always
  // has its recorded size.
  uint64_t expected = file_size;
  if (!(ntfs && (flags & 2))) {
    const uint64_t cluster_bytes =
        uint64_t{geometry.sectors_per_cluster} * geometry.bytes_per_sector;
    uint64_t allocated = 0;
    bool unbounded = false;
    for (const auto& [first, count] : run_list) {
      uint64_t run_bytes = 0;
      if (__builtin_mul_overflow(count, cluster_bytes, &run_bytes) ||
          __builtin_add_overflow(allocated, run_bytes, &allocated)) {
        unbounded = true;
        break;
      }
    }
    uint64_t position = 0;
    uint64_t present_end = 0;
    for (const auto& [first, count] : run_list) {
      uint64_t run_bytes = 0;
      if (__builtin_mul_overflow(count, cluster_bytes, &run_bytes)) run_bytes = ~0ull;
      // The run's first byte on the volume, in 128 bits: past 64 bits it is nowhere.
      unsigned __int128 start = ~(unsigned __int128)0;
      if (ntfs) {
        start = (unsigned __int128)first * geometry.sectors_per_cluster * geometry.bytes_per_sector;
      } else if (first >= 2) {
        start = ((unsigned __int128)(first - 2) * geometry.sectors_per_cluster +
                 geometry.first_data_sector) *
                geometry.bytes_per_sector;
      }
      uint64_t present = 0;
      if (ntfs && first == ~0ull) {
        present = run_bytes;
      } else if (start < image.size()) {
        present = std::min<uint64_t>(run_bytes, static_cast<uint64_t>(image.size() - start));
      }
      if (present != 0) {
        present_end = position + present < position ? ~0ull : position + present;
      }
      if (__builtin_add_overflow(position, run_bytes, &position)) break;
    }
    if (!unbounded && allocated < expected) expected = allocated;
    if (present_end < expected) expected = present_end;
  }
  for (const auto& [path, bytes] : output.sizes) {
    if (path == u"T:\\OUT\\" + MemoryOutput::Key(SafeOutputName(name)) && (flags & 64)) continue;
    if (bytes != expected) __builtin_trap();
    if (path.size() > 7 + kMaxOutputNameUnits + 1) __builtin_trap();
  }
  return 0;
}
