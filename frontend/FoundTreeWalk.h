// Walks over the engine's found tree that the watch threads make at the end of a scan or the
// start of a save: the folders that become tree items, the files that become rows of the
// find-mode hit list, and the number of files a save of the tree wants. Every walk keeps an explicit stack: a damaged volume can nest folders deeper
// than any thread's stack. Portable: the engine's exports arrive as callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/found_tree.h"
#include "frontend/FilterSettings.h"

namespace vardeck {

using scavrel::FoundNode;

// The engine's node readers (FilterNtfsTreeNode and GetDictionaryName in the program).
struct TreeReaders {
  std::function<bool(FoundNode*)> filter;
  std::function<std::string(FoundNode*)> name;
};

// A folder of the results tree: `parent` indexes an earlier item, -1 for a top-level item.
struct FolderItem {
  FoundNode* node;
  int parent;
  std::string name;
};

// The folders shown in the tree, in the order they are added (each parent before its
// children, a folder's whole subtree before its next sibling), starting with `first` and its
// siblings as top-level items. A node becomes an item when it is valid, directory, has
// children, its subtree holds a deleted entry and the filter accepts it; the walk goes into
// such folders only.
std::vector<FolderItem> CollectFolderItems(FoundNode* first, const TreeReaders& readers);

// A file of the find-mode hit list: the containing folder's path (each folder followed by
// "\") and the file's name.
struct HitFile {
  FoundNode* node;
  std::string folder;
  std::string name;
};

// The files below `folder`, in tree order: valid files that the filter accepts and whose name
// matches the find criteria's pattern (NameMatches); it goes into valid folders whose subtree
// holds a deleted entry and that the filter accepts. `path` is the folder's own path, ending in "\". Each file is handed to `row` as it
// is found.
void CollectHitFiles(FoundNode* folder, const std::string& path, const TreeReaders& readers,
                     const FindCriteria& criteria,
                     const std::function<void(const HitFile&)>& row);

// The root's path in the hit list: its name, with a "\" added unless it ends in one.
std::string HitRootPath(const std::string& root_name);

// How many files the engine's save of the tree will try to write: with no node, every valid,
// deleted, checked file the filter accepts inside the folders the save walks; with a node
// (SaveMenuFile's), every valid file at or below it in those folders. A save that writes
// fewer than this came out short.
uint64_t CountFilesToSave(FoundNode* root, FoundNode* node,
                          const std::function<bool(FoundNode*)>& filter);

}  // namespace vardeck
