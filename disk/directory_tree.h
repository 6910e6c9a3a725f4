// The directories and files of an image as a tree of TreeNode objects, in the
// Simple view (every directory number flat under the root) or the Tree view
// (directories nested by their parent numbers, cycles gathered in groups).
#pragma once
#include <cstdint>

#include "common/settings.h"
#include "common/status.h"
#include "disk/tree_node.h"
#include "disk/volume.h"

namespace ox::disk {

// The views are the values of the DirStructViewMode setting.
using ox::kViewSimple;
using ox::kViewTree;

// Builds the tree of the volume and fills the volume's directory-node table.
// On failure *root is nullptr and nothing built is left behind.
Status BuildDirectoryTree(int32_t view, DiskVolume* volume, TreeNode** root);
// The node whose children form the top level of the listing: in the Tree view a
// lone directory 0 under the root, else the root.
TreeNode* ListingRoot(TreeNode* root, int32_t view);

// A reader of directory `number`'s chain, positioned after its DirectoryRecord.
Status OpenDirectoryChain(ChainReader* reader, DiskVolume* volume, int32_t number);
// Appends a node for every listed file of the directory, in on-disk order. Files
// without a header are named "headerless" + *counter, which then goes up by one.
Status LoadDirectoryFiles(TreeNode* directory, uint32_t* counter);

}  // namespace ox::disk
