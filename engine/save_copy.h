// The one-file copies of the save path: a FAT file from its cluster run, an NTFS file from its
// data runs, and an NTFS file whose data lies inside its MFT record.
//
// Each creates the output file (through the target's volume name, else its drive root), keeps
// the save progress (done / total bytes, the current file text) and counts the file as saved
// only when every byte of its recorded size came from the volume. A stop or a failed read or
// write ends the file where it is; the last error names the failure.
//
// A file ends at its recorded size, or where its runs' clusters end when they hold less (an
// NTFS size is never checked against the runs), or where its last byte on the volume is: bytes
// of its runs past the end of the volume are written as zeros only where later bytes follow.
// A file cut short or padded fails with ERROR_HANDLE_EOF (its data is not all there). Sectors
// the disk refuses are written as zeros and the copy goes on; the file then fails with the
// read's error. An NTFS sparse run (first cluster kSparseCluster, as the scanner
// stores a run without an offset field) is a hole that NTFS itself reads as zeros, and counts
// as data.
#pragma once

#include <string>

#include "engine/found_tree.h"
#include "engine/save_session.h"

namespace scavrel {

bool CopyFatFile(SaveSession& session, const FoundNode* node, const OutputTarget& target,
                 const std::string& display_text);
bool CopyNtfsRunsFile(SaveSession& session, const FoundNode* node, const OutputTarget& target,
                      const std::string& display_text);
// The record's one run holds the record's sector as its first cluster and the value's byte
// position inside the record as its count. The record is read whole and its update-sequence
// fixups applied before the value is copied; a torn record fails with ERROR_FILE_CORRUPT.
bool CopyNtfsResidentFile(SaveSession& session, const FoundNode* node,
                          const OutputTarget& target, const std::string& display_text);

}  // namespace scavrel
