// A node of the directory tree: a directory, a file, or a named node (the root
// or a group of directories whose parent links form a cycle). Nodes point into
// the image bytes, which outlive them; they never copy on-disk records.
#pragma once
#include <cstdint>

#include "common/pointer_list.h"
#include "common/status.h"
#include "disk/volume.h"

namespace ox::disk {

constexpr uint32_t kNodeNameSize = 20;  // up to 19 characters and the terminator

struct TreeNode {
  DiskVolume* volume = nullptr;
  uint8_t hasRecord = 0;    // stands for a DirectorySlot or a FileEntry; clear on named nodes
  uint8_t isDirectory = 0;  // directories and named nodes
  uint8_t cycleGroup = 0;   // a "CYCLE" group
  uint8_t inCycle = 0;      // a directory inside a cycle group
  int32_t directoryNumber = -1;
  uint8_t* entry = nullptr;            // the FileEntry of a file
  uint8_t* directoryRecord = nullptr;  // the first sector of a present directory
  PointerList children;                // TreeNode*, owned
  char* createdName = nullptr;         // heap text, owned; directories made by a writing operation
  uint32_t duplicateIndex = 0;
  char name[kNodeNameSize] = {};           // named nodes
  char generatedName[kNodeNameSize] = {};  // files without a header
  uint8_t removed = 0;                     // named node deleted by a writing operation
};

// A new node of the volume, every field clear; nullptr when out of memory.
TreeNode* NewTreeNode(DiskVolume* volume);
// Makes the node the directory `number` of its volume and gives it an empty children list.
Status InitDirectoryNode(TreeNode* node, int32_t number);
// Makes the node a named node (at most 19 characters are kept) with an empty children list.
Status InitNamedNode(TreeNode* node, const char* name);
// Frees the node's subtree, child by child; the node itself stays for FreeNode.
void DestroyTree(TreeNode* node);
// Releases the node's created name, its children array and the node; not its children.
void FreeNode(TreeNode* node);

// Set when the node's object is not, or no longer, on the disk.
uint8_t IsGone(const TreeNode* node);
// Bytes in a file's data chain: 0 without data, 0xFFFFFFFF when the chain is bad.
uint32_t FileDataLength(const TreeNode* node);

}  // namespace ox::disk
