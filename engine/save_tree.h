// The save thread's work: the walk over the found tree (the whole tree for SaveDeleteFile, one
// node for SaveMenuFile), folder creation, and the per-file step that the list-driven save
// shares: a unique output name, the output path rewritten through the volume name of its
// drive, and the copy for the engine and the record's kind.
#pragma once

#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "engine/found_tree.h"
#include "engine/save_output.h"
#include "engine/save_session.h"

namespace scavrel {

// The body the save thread runs for SaveDeleteFile and SaveMenuFile: saves below
// engine.save.destination what engine.save.node (null: the whole tree) selects, through the
// installed output; true unless stopped or the save could not run (no tree, no volume, no
// output). The thread routine sets the save-finished flag after it.
uint8_t SaveThreadBody(Engine& engine);

// SaveThreadBody's work with an explicit output, destination (ANSI) and node.
bool SaveTree(Engine& engine, SaveOutput& output, const std::string& destination,
              FoundNode* node);

// Saves one node below `path`: a file by the file rule, a folder holding deleted entries with
// everything below it. False when stopped or when a folder could not be made; a folder that
// cannot be made skips its own subtree only, the walk goes on with the next entry.
bool SaveFolder(SaveSession& session, FoundNode* node, const std::u16string& path);

// Creates path\name\ for a folder node and gives path\name as the path of its children. A
// folder without a name creates nothing and keeps `path` for its children. With auto-rename,
// a file in the way gives the folder the next free name (Docs1).
bool MakeOutputFolder(SaveSession& session, const std::u16string& path, const FoundNode* folder,
                      std::u16string* child_path);

// Saves one file node into `folder` (a drive-letter path without a trailing backslash) under a
// unique name; true when the file was saved whole.
bool SaveOneFile(SaveSession& session, const std::u16string& folder, const FoundNode* node);

}  // namespace scavrel
