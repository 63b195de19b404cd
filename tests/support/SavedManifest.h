// The check that a save gave back every byte: the files a volume builder wrote (its manifest,
// tools/ntfsvol's .tsv with the SHA-256 of each file in the .json), found deleted by the scan
// and saved, read back from the save's folder and compared with the builder's digests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/found_tree.h"
#include "engine/scavrel_api.h"
#include "tests/engine/manifest_sha256.h"
#include "tests/engine/ntfs_save_support.h"
#include "tests/engine/scavrel_dll.h"

namespace tolvane_test {

// Every deleted file of the NTFS volume `image` (the builder's manifest beside it as
// `image`.tsv and `image`.json) that the engine's present found tree holds and that a save can
// give back whole must lie under `destination`, at its path in the tree, with the builder's
// SHA-256; at least one such file must exist.
inline void ExpectNtfsSavedByteForByte(const std::string& image, const std::string& destination) {
  using namespace ntfs_save_test;
  const std::vector<ManifestFile> manifest = ReadManifest(image + ".tsv");
  const std::map<std::string, std::string> sha = manifest_sha256::Read(image + ".json");
  ASSERT_FALSE(manifest.empty()) << image;
  scavrel::FoundNode* root = nullptr;
  ASSERT_NE(GetTreeFirst(&root) & 0xFF, 0u);
  std::map<std::string, Found> tree;
  Collect(root, u"", &tree);
  auto by_leaf = DeletedFilesByLeaf(tree);
  const std::wstring out = scavrel_dll::Wide(destination, CP_ACP) + L"\\";
  size_t expected = 0;
  for (const ManifestFile& f : manifest) {
    if (f.state == "live" || f.state == "old_live" || !Recoverable(f, false)) continue;
    const std::string at = FoundAt(f, tree, by_leaf);
    if (at.empty() || ClustersReused(f, tree.at(at))) continue;
    ++expected;
    const Found& found = tree.at(at);
    bool exists = false;
    std::vector<uint8_t> content =
        scavrel_dll::ReadWholeFile(out + std::wstring(found.path.begin(), found.path.end()), &exists);
    ASSERT_TRUE(exists) << f.path;
    EXPECT_EQ(manifest_sha256::Hex(content), sha.at(f.path)) << f.path;
  }
  EXPECT_GT(expected, 0u);
}

}  // namespace tolvane_test
