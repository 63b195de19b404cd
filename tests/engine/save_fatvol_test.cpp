// End to end over volumes that mkfs.fat and mtools built (tools/fatvol, run by the ctest
// fixture): scan, tick everything as the user would, save the whole tree, and compare every
// saved file with what the builder wrote: the recorded size always, and the bytes themselves
// wherever the file's clusters survived in one free piece. The builder makes each file's bytes
// as SHA-256 in counter mode over its path, so the expected bytes are rebuilt here.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/check_states.h"
#include "engine/save_tree.h"
#include "tests/engine/fat_manifest.h"
#include "tests/engine/fat_test_support.h"
#include "tests/engine/save_test_support.h"

#ifndef TOLVANE_FATVOL_DIR
#error "TOLVANE_FATVOL_DIR names the folder the volume builder writes to"
#endif

namespace scavrel::fat::testing {
namespace {

using save_test::MemoryOutput;

// SHA-256 (FIPS 180-4), enough for the builder's content generator.
std::array<uint8_t, 32> Sha256(const std::string& message) {
  static constexpr uint32_t k[64] = {
      0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
      0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
      0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
      0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
      0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
      0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
      0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
      0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
      0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
      0xc67178f2};
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::vector<uint8_t> data(message.begin(), message.end());
  const uint64_t bits = static_cast<uint64_t>(data.size()) * 8;
  data.push_back(0x80);
  while (data.size() % 64 != 56) data.push_back(0);
  for (int i = 7; i >= 0; --i) data.push_back(static_cast<uint8_t>(bits >> (i * 8)));
  auto rotr = [](uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
  for (size_t block = 0; block < data.size(); block += 64) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
      const uint8_t* p = &data[block + 4 * i];
      w[i] = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    }
    for (int i = 16; i < 64; ++i) {
      uint32_t s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
      uint32_t s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
      w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
    for (int i = 0; i < 64; ++i) {
      uint32_t t1 = hh + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
      uint32_t t2 = (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
      hh = g; g = f; f = e; e = d + t1; d = c; c = b; b = a; a = t1 + t2;
    }
    h[0] += a; h[1] += b; h[2] += c; h[3] += d; h[4] += e; h[5] += f; h[6] += g; h[7] += hh;
  }
  std::array<uint8_t, 32> out;
  for (int i = 0; i < 32; ++i) out[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return out;
}

// The builder's bytes for a file: SHA-256 of "path:counter" for counter 0, 1, 2, ...
std::vector<uint8_t> BuilderContent(const std::string& path, size_t size) {
  std::vector<uint8_t> out;
  for (int counter = 0; out.size() < size; ++counter) {
    std::array<uint8_t, 32> digest = Sha256(path + ":" + std::to_string(counter));
    out.insert(out.end(), digest.begin(), digest.end());
  }
  out.resize(size);
  return out;
}

std::u16string Utf16(const std::string& text) {
  std::u16string out;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = static_cast<uint8_t>(text[i]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    c &= extra == 0 ? 0x7F : (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < text.size(); ++k) c = (c << 6) | (text[i + k] & 0x3F);
    i += 1 + extra;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

class FatVolumeSave : public ::testing::TestWithParam<const char*> {};

TEST_P(FatVolumeSave, EveryFoundFileIsSavedAtItsSizeAndSurvivingFilesByteForByte) {
  const std::string name = GetParam();
  const std::string base = std::string(TOLVANE_FATVOL_DIR) + "/" + name;
  auto manifest = ReadManifest(base + ".tsv");
  ASSERT_FALSE(manifest.empty()) << "no manifest for " << name;
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "full scan" : "quick scan");
    ScanRig rig;
    ASSERT_EQ(rig.ScanFile(base + ".img", full), 1);
    if (rig.engine.tree.empty()) continue;
    ClickNtfsNode(rig.engine, rig.engine.tree.root(), kChecked);
    MemoryOutput output;
    output.folders.insert(u"T:\\OUT");
    rig.engine.save_flags.stop = 0;
    ASSERT_TRUE(SaveTree(rig.engine, output, "T:\\out\\", nullptr));

    Expectation expect(manifest, full);
    size_t compared = 0, found = 0;
    for (auto& [path, e] : manifest) {
      if (!expect.MustFind(e)) continue;
      ++found;
      std::u16string where = u"T:\\out\\" + Utf16(expect.TreePath(e));
      for (char16_t& c : where) c = c == u'/' ? u'\\' : c;
      const std::vector<uint8_t>* saved = output.FileAt(where);
      ASSERT_NE(saved, nullptr) << path << " not saved at " << expect.TreePath(e);
      EXPECT_EQ(saved->size(), e.size) << path;
      if (e.clusters_free && !e.overwritten && !e.fragmented) {
        EXPECT_EQ(*saved, BuilderContent(e.path, e.size)) << path;
        ++compared;
      }
    }
    EXPECT_EQ(rig.engine.save_progress.counter_a.load(), found);
    EXPECT_GT(compared, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatVolumeSave,
                         ::testing::Values("fat12", "fat16", "fat32", "fat16_reformat",
                                           "fat32_reformat"));

}  // namespace
}  // namespace scavrel::fat::testing
