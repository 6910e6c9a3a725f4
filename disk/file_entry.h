// A PC file stored in a directory of the in-memory image: its data in a new chain,
// its FileEntry in the directory's first free slot.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/settings.h"
#include "common/status.h"
#include "disk/tree_node.h"

namespace ox::disk {

// `name` (of `nameLength` characters) is the file's PC name, read back into a header by
// the naming scheme; `data` holds `size` bytes (none for an empty file); `localTime` is
// the file's last-write time as a local file time. The chain is made before a slot is
// sought; a full directory grows by one sector.
Status CreateFileEntry(TreeNode* target, const char* name, size_t nameLength, const uint8_t* data, uint32_t size,
                       uint64_t localTime, const NamingMode& mode);

}  // namespace ox::disk
