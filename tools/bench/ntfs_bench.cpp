// Runs the NTFS scan natively over a volume image and reports its time and counters; with
// --list it prints every kept entry as "D|F path size free/total" (for comparing with other
// tools by hand).
//   ntfs_bench IMAGE [--full] [--list] [--repeat N]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/engine.h"
#include "engine/ntfs_scan.h"
#include "tests/engine/utf_text.h"
#include "tests/engine/volume_scan.h"

using namespace scavrel;

namespace {

using utf_text::Utf8;

void List(FoundNode* node, const std::string& path) {
  for (FoundNode* child = node->first_child; child != nullptr; child = child->next_sibling) {
    auto* rec = AsNtfsRecord(child->record);
    const char16_t* name = GetWideName(&rec->long_name);
    if (name == nullptr) name = GetWideName(&rec->short_name);
    std::string p = path.empty() ? Utf8(name) : path + "/" + Utf8(name);
    uint64_t size = 0;
    std::memcpy(&size, rec->file_name + 48, 8);
    std::printf("%c%c %s %llu %llu/%llu\n", child->directory ? 'D' : 'F',
                child->deleted ? '-' : '+', p.c_str(), (unsigned long long)size,
                (unsigned long long)rec->extents.free_clusters,
                (unsigned long long)rec->extents.total_clusters);
    List(child, p);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: ntfs_bench IMAGE [--full] [--list] [--repeat N]\n");
    return 2;
  }
  bool full = false, list = false;
  int repeat = 1;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--full")) full = true;
    if (!std::strcmp(argv[i], "--list")) list = true;
    if (!std::strcmp(argv[i], "--repeat") && i + 1 < argc) repeat = std::atoi(argv[++i]);
  }
  LastError error;
  Engine engine(EngineKind::kNtfs);
  engine.last_error = &error;
  double best = 1e30;
  uint8_t ok = 0;
  for (int r = 0; r < repeat; ++r) {
    auto start = std::chrono::steady_clock::now();
    ok = volume_scan::ScanImage(engine, argv[1], full);
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (s < best) best = s;
  }
  std::printf("result %d error %d seconds %.4f deleted %llu folders %llu nodes %llu\n", ok,
              error.Code(), best, (unsigned long long)engine.scan_progress.counter_a.load(),
              (unsigned long long)engine.scan_progress.counter_b.load(),
              (unsigned long long)engine.tree.node_count());
  if (list && !engine.tree.empty()) List(engine.tree.root(), "");
  return ok ? 0 : 1;
}
