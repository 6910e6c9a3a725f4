#include "disk/tree_node.h"

#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "disk/directory_table.h"

namespace ox::disk {

TreeNode* NewTreeNode(DiskVolume* volume) {
  TreeNode* node = New<TreeNode>();
  if (node) node->volume = volume;
  return node;
}

Status InitDirectoryNode(TreeNode* node, int32_t number) {
  node->directoryNumber = number;
  node->hasRecord = 1;
  node->isDirectory = 1;
  node->directoryRecord = nullptr;
  const DiskVolume& v = *node->volume;
  if (IsSlotInUse(v, number)) {
    uint32_t s = SlotFirstSector(v, number);
    if (s >= v.sectorCount) return HostCode(kHostBadData);
    node->directoryRecord = SectorBytes(v, s);
  }
  return node->children.Init();
}

Status InitNamedNode(TreeNode* node, const char* name) {
  node->hasRecord = 0;
  node->isDirectory = 1;
  node->entry = nullptr;
  size_t n = strlen(name);
  if (n > kNodeNameSize - 1) n = kNodeNameSize - 1;
  memcpy(node->name, name, n);
  node->name[n] = '\0';
  return node->children.Init();
}

void DestroyTree(TreeNode* node) {
  for (uint32_t i = 0; i < node->children.count(); ++i) {
    TreeNode* child = node->children.ptr<TreeNode>(i);
    DestroyTree(child);
    FreeNode(child);
  }
  // No dangling children stay behind, should the node be kept.
  while (node->children.count()) node->children.pop();
}

void FreeNode(TreeNode* node) {
  if (!node) return;
  Release(node->createdName);
  node->createdName = nullptr;
  Delete(node);  // the children list releases its array
}

uint8_t IsGone(const TreeNode* node) {
  if (!node->hasRecord) return node->removed;
  if (node->isDirectory) return IsSlotInUse(*node->volume, node->directoryNumber) ? 0 : 1;
  return (node->entry[entry::kFlags] & entry::kListedMask) != entry::kListedValue ? 1 : 0;
}

uint32_t FileDataLength(const TreeNode* node) {
  const uint8_t* e = node->entry;
  if (ReadU32(e + entry::kBodyLength) == 0) return 0;
  ChainReader reader{};
  int32_t first = ReadU16(e + entry::kFirstSector) & kFatValueMask;
  if (OpenChain(&reader, node->volume, first, false).failed()) return 0xFFFFFFFFu;
  return reader.length;
}

}  // namespace ox::disk
