// libFuzzer target: whole skin archives through extraction and, when that succeeds, through
// the record container reader, all in memory. The input is also read as a container itself,
// since few mutated archives still inflate.
#include <cstddef>
#include <cstdint>

#include "skin/Sk2Container.h"
#include "skin/SkinArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin::MemoryArchiveSource archive(data, size);
  {
    skin::Sk2Lists lists;
    skin::ReadSk2Container(archive, &lists);
  }
  skin::MemoryInflateOutput output(8u << 20);
  if (skin::ExtractSkinEntry(archive, "SKINDATA.SK2", output, "tolvane") == skin::kExtracted) {
    skin::MemoryArchiveSource container(output.bytes().data(), output.bytes().size());
    skin::Sk2Lists lists;
    skin::ReadSk2Container(container, &lists);
  }
  return 0;
}
