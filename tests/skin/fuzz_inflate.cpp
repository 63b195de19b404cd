// libFuzzer target: raw deflate streams into the skin inflater. Every input must end in a
// status, within bounds; the output is capped so that a tiny stream of long matches cannot
// use up the run's memory.
#include <cstddef>
#include <cstdint>

#include "skin/Inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  skin::MemoryInflateInput input(data, size);
  skin::MemoryInflateOutput output(8u << 20);
  skin::Inflate(input, output);
  return 0;
}
