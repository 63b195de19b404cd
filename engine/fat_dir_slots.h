// Whether directory slots that no allocation chain vouches for (the clusters of deleted and
// lost folders) look like slots a FAT driver wrote. The deleted-folder walk and the lost-folder
// search read such clusters; a file's data read there would list entries made of its bytes.
#pragma once

#include "engine/disk_bytes.h"
#include "engine/fat_names.h"
#include "engine/fat_table.h"

namespace scavrel::fat {

// A short entry (any attribute byte but 0x0F): no reserved attribute bit and no volume label
// (labels live in the root only); name bytes a driver stores (no control bytes, none of
// " * + , . / : ; < = > ? [ \ ] |, no blank first byte; 0xE5 or 0x05 first is allowed; lower
// case is allowed, as some devices write it); a folder of size 0 that starts at a data cluster; a file whose first cluster and
// size lie inside the volume (an empty file may name no cluster).
bool ShortSlotPlausible(ByteSpan entry, const FatGeometry& geometry);

// A long-name part (attribute byte 0x0F): ordinal 1-20, with or without the last-part bit, or
// 0xE5 once deleted; type 0; first cluster 0.
bool LongNameSlotPlausible(ByteSpan part);

// True when every slot of `cluster` before its end of directory (eight zero name bytes) is
// plausible and every long-name run in it is in order and names the short entry that ends it.
// `carried` is the run the folder's previous cluster left open (a name may straddle clusters).
// The walks go on into a cluster they take for the folder's continuation only when this holds.
bool ClusterSlotsPlausible(ByteSpan cluster, const FatGeometry& geometry,
                           LongNameSequence carried);

// The long-name parts at the start of a cluster that may end a name begun in the cluster
// before: how many slots they take (0 when the cluster starts with an entry or with a run's
// last part, which begins a run of its own). Live parts must count down to part 1 and carry
// the checksum of the entry after them; deleted parts have lost their numbers and pass.
// kNoNameTail when they cannot be such an end.
constexpr size_t kNoNameTail = static_cast<size_t>(-1);
size_t LeadingNameTail(ByteSpan cluster);

// True when a free cluster that does not start a folder holds a piece of one whose start lies
// elsewhere: a folder grows cluster by cluster while files are written, so its later clusters
// need not follow its first. Past the end of a name begun in the cluster before (see
// LeadingNameTail) every slot up to the end of directory must be plausible, and one
// of them must be a short entry (a cluster of zeros gives nothing back). Live entries count:
// after a reformat the old folders' entries were never deleted.
bool OrphanClusterPlausible(ByteSpan cluster, const FatGeometry& geometry);

}  // namespace scavrel::fat
