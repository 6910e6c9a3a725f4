// The directory tree a writing operation builds over its in-memory image, freed
// with everything in it when the operation ends, however it ends.
#pragma once
#include "disk/tree_node.h"

namespace ox::disk {

class OwnedTree {
 public:
  OwnedTree() = default;
  OwnedTree(const OwnedTree&) = delete;
  OwnedTree& operator=(const OwnedTree&) = delete;
  ~OwnedTree() {
    if (root_) {
      DestroyTree(root_);
      FreeNode(root_);
    }
  }
  TreeNode** out() { return &root_; }
  TreeNode* root() const { return root_; }

 private:
  TreeNode* root_ = nullptr;
};

}  // namespace ox::disk
