// Deleting files, directories and cycle groups in the in-memory image. Deletion marks
// rather than erases: an entry or a directory slot loses its in-use mark, the sectors
// of its chain lose their in-use bit and keep their links.
#pragma once
#include "common/status.h"
#include "disk/tree_node.h"

namespace ox::disk {

// One file, one directory (its slot and its chain, not what it holds) or one cycle group.
Status DeleteEntry(TreeNode* node);
// A directory with everything below it in the tree, then the directory itself.
Status DeleteDirectoryTree(TreeNode* node);
// Before a directory goes: the directories whose parent it is move up to its own parent,
// or become top-level directories when it is one.
void ReattachChildDirectories(TreeNode* node);

}  // namespace ox::disk
