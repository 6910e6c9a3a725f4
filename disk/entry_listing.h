// The flat list of entries the host sees: listed names, duplicate numbering,
// paths and prepared header records.
#pragma once
#include <cstdint>

#include "common/host_api.h"
#include "common/pointer_list.h"
#include "common/status.h"

#include "common/naming.h"

namespace ox::disk {

struct TreeNode;


struct ListedEntry {
  TreeNode* node;
  host::HeaderRecord header;
};

// The listed name of one node; with `withSuffix` its duplicate suffix too.
Status EntryDisplayName(const TreeNode* node, const NamingMode& mode, int view, bool withSuffix,
                        NameBuffer* name);

// Sets the duplicate index of every node of the list and of all nodes below them.
Status NumberDuplicates(const PointerList& nodes, const NamingMode& mode, int view);

// Appends one ListedEntry per node of the list and of all nodes below, in pre-order.
Status BuildEntryList(const char* archiveName, const PointerList& nodes, const char* prefix,
                      const NamingMode& mode, int view, PointerList* entries);

// Releases every ListedEntry of a list built by BuildEntryList, and the list's array.
void FreeEntryList(PointerList* entries);

}  // namespace ox::disk
