// The flat list of entries the host sees: listed names, duplicate numbering,
// paths and prepared header records.
#pragma once
#include <cstdint>

#include "common/host_api.h"
#include "common/naming.h"
#include "common/pointer_list.h"
#include "common/status.h"

namespace ox::disk {

struct TreeNode;

// One entry as the host will see it. Only what differs between entries is kept (a
// directory can hold tens of thousands of entries); FillHeaderRecord makes the host's
// record from it.
struct ListedEntry {
  TreeNode* node;
  uint32_t size;        // packed and unpacked size
  uint32_t fileTime;    // DOS date and time
  uint32_t attributes;  // 0x10 for directories
  uint32_t pathLength;
  // The path (at most 259 characters) follows the record.
  char* path() { return reinterpret_cast<char*>(this + 1); }
  const char* path() const { return reinterpret_cast<const char*>(this + 1); }
};

// The host's full header record of an entry; fields not listed stay 0.
void FillHeaderRecord(const ListedEntry& entry, const char* archiveName, host::HeaderRecord* record);

// The listed name of one node; with `withSuffix` its duplicate suffix too.
Status EntryDisplayName(const TreeNode* node, const NamingMode& mode, int view, bool withSuffix,
                        NameBuffer* name);

// Sets the duplicate index of every node of the list and of all nodes below them.
Status NumberDuplicates(const PointerList& nodes, const NamingMode& mode, int view);

// Appends one ListedEntry per node of the list and of all nodes below, in pre-order.
Status BuildEntryList(const PointerList& nodes, const char* prefix, const NamingMode& mode, int view,
                      PointerList* entries);

// Releases every ListedEntry of a list built by BuildEntryList, and the list's array.
void FreeEntryList(PointerList* entries);

}  // namespace ox::disk
