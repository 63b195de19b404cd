// The exported interface of Scavrel.dll: flat cdecl functions, undecorated names. Vardeck and
// the tests include this header; the DLL defines the functions.
//
// Conventions: results are a byte (non-zero = success) except GetTreeFirst, whose 64-bit result
// carries the has-nodes flag in its low byte and the node count in its high 32 bits. A 64-bit
// input travels as two 32-bit halves, low half first; 64-bit outputs are written through
// pointers. An OutText is the address of a variable that holds the address of a caller-owned
// buffer: 1,001 bytes for paths and names, 101 for file-system names (copies are cut to fit).
#pragma once

#include <cstdint>

#include "engine/found_tree.h"
#include "engine/run_outcome.h"
#include "engine/text_list.h"

#if defined(_WIN32)
#if defined(SCAVREL_BUILDING_DLL)
#define SCAVREL_API extern "C" __declspec(dllexport)
#else
#define SCAVREL_API extern "C" __declspec(dllimport)
#endif
#define SCAVREL_CALL __cdecl
#else
#define SCAVREL_API extern "C"
#define SCAVREL_CALL
#endif

namespace scavrel_api {
using Bool8 = uint8_t;
using OutText = char**;
using ListPosition = scavrel::ListPosition;
using FoundNode = scavrel::FoundNode;
using EntryRecord = scavrel::EntryRecord;
using ExtentList = scavrel::ExtentList;
}  // namespace scavrel_api

// Buffer sizes the callers of OutText provide.
constexpr unsigned kOutTextPathSize = 1001;
constexpr unsigned kOutTextFileSystemSize = 101;

// Drives and volumes
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetDriverList(scavrel_api::ListPosition* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetDriverName(scavrel_api::ListPosition* position,
                                                          scavrel_api::OutText name);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetDriverInfo(const char* root,
                                                          scavrel_api::OutText volume_name,
                                                          scavrel_api::OutText file_system,
                                                          uint64_t* total_bytes,
                                                          uint64_t* free_to_caller,
                                                          uint64_t* total_free);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetVolume(const char* path, scavrel_api::OutText out,
                                                      uint32_t length);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL CheckCurrentDriver(const char* destination);

// Engine choice
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetNtfs(uint8_t ntfs);

// Scan
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL ProcFat(const char* caption, const char* device_path,
                                                    uint8_t extra_pass);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL ProcNtfs(const char* caption, const char* device_path,
                                                     uint8_t extra_pass);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatPause();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatContinue();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatStop();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsPause();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsContinue();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsStop();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetProgress(uint64_t* done, uint64_t* total,
                                                        uint64_t* counter_a, uint64_t* counter_b,
                                                        scavrel_api::OutText text,
                                                        uint8_t* finished);
// How the current engine's last scan ended (a scavrel::ScanOutcome value) and, when its first
// sector holds a file system the engine does not read, that file system's name (an OutText of
// 101 bytes; empty when the sector names none). kNotEnded while a scan runs.
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetScanOutcome(uint8_t* outcome,
                                                           scavrel_api::OutText file_system);

// Results
SCAVREL_API uint64_t SCAVREL_CALL GetTreeFirst(scavrel_api::FoundNode** root);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetDictionaryName(scavrel_api::EntryRecord* record,
                                                              scavrel_api::OutText name);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetpFileAttr(scavrel_api::EntryRecord* record,
                                                         void** attribute_block,
                                                         scavrel_api::ExtentList** extents,
                                                         uint64_t* free_clusters,
                                                         uint64_t* total_clusters,
                                                         uint64_t* first_cluster);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetnSelect(scavrel_api::FoundNode* node,
                                                       uint8_t* state);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL ClickNtfsNode(scavrel_api::FoundNode* node,
                                                          uint32_t state);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL ClickNode(scavrel_api::FoundNode* node);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FilterNtfsTreeNode(scavrel_api::FoundNode* node);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL isFilterOK(scavrel_api::FoundNode* node);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL ClearRecovery();

// Filters
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetFilterList(const char* names);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetFilterHeader(scavrel_api::ListPosition* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetFilterList(scavrel_api::ListPosition* position,
                                                          char* buffer);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMinFilesize(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMaxFilesize(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMinCreatefile(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMaxCreatefile(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMinModifyfile(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetMaxModifyfile(uint32_t low, uint32_t high);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMinFile(uint64_t* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMaxFile(uint64_t* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMinCreatefile(uint64_t* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMaxCreatefile(uint64_t* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMinModifyfile(uint64_t* out);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetMaxModifyfile(uint64_t* out);

// Save
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SetAutoRename(uint8_t on);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetAutoRename();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetSaveSize(const char* destination,
                                                        scavrel_api::FoundNode* node,
                                                        uint64_t* size);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SaveDeleteFile(const char* destination);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SaveMenuFile(const char* destination,
                                                         scavrel_api::FoundNode* node);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL SaveDeleteFile1(const char* destination,
                                                            uint32_t list,
                                                            uint32_t selection_field,
                                                            uint32_t path_field,
                                                            uint32_t fourth_value,
                                                            uint32_t node_field,
                                                            uint32_t selection_value);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetProgressSave(uint64_t* done, uint64_t* total,
                                                            uint64_t* counter_a,
                                                            uint64_t* counter_b,
                                                            scavrel_api::OutText text,
                                                            uint8_t* finished);
// The current engine's running or last save, file by file (scavrel::SaveCounts): saved whole,
// in part, not at all, and the failures on each side. Any output may be null.
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL GetSaveCounts(uint64_t* whole, uint64_t* partial,
                                                          uint64_t* failed,
                                                          uint64_t* source_failures,
                                                          uint64_t* destination_failures);
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatSavePause();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatSaveContinue();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL FatSaveStop();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsSavePause();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsSaveContinue();
SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL NtfsSaveStop();

SCAVREL_API scavrel_api::Bool8 SCAVREL_CALL TestAA();
