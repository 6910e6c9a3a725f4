// Finding the directory a path component names while files are added, or making it.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/settings.h"
#include "common/status.h"
#include "disk/tree_node.h"

namespace ox::disk {

// Looks for the directory among the directories of `search`: first one made during
// this pass under the same text (unless it must exist), then by its listed name, then
// by the name stored on the disk. When none matches and it need not exist, a new
// directory is made under `parent` (top-level when `parent` stands for no directory)
// and given the component as its created name. `index` is the 1-based position of the
// component in the path walked; the first component may carry the Simple view's number.
Status ResolveDirectory(TreeNode* search, TreeNode* parent, const char* component, size_t length, bool mustExist,
                        uint32_t index, const DiskSettings& settings, TreeNode** result);

}  // namespace ox::disk
