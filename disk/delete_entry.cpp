#include "disk/delete_entry.h"

#include "common/bytes.h"
#include "disk/directory_table.h"
#include "disk/layout.h"

namespace ox::disk {

namespace {

// Clears the in-use bit along the chain; a broken chain is bad data.
Status FreeChain(DiskVolume& v, uint32_t first) {
  if (first == 0) return HostCode(kHostBadData);
  uint32_t s = first;
  for (uint32_t links = 0;;) {
    // Beyond sector 2047 there is no FAT entry to change.
    if (!IsValidSector(v, s)) return HostCode(kHostBadData);
    uint16_t e = FatEntry(v, s);
    SetFatEntry(v, s, static_cast<uint16_t>(e & ~kFatUsed));
    if (!(e & kFatContinues)) return Success();
    s = e & kFatValueMask;
    if (s == 0 || ++links > v.sectorCount) return HostCode(kHostBadData);
  }
}

}  // namespace

Status DeleteEntry(TreeNode* node) {
  if (IsGone(node)) return Success();
  if (!node->hasRecord) {
    if (!node->cycleGroup) return ShownMessage("Cannot delete this entry");
    node->removed = 1;
    return Success();
  }
  DiskVolume& v = *node->volume;
  uint32_t first;
  if (node->isDirectory) {
    uint8_t* slotBytes = DirectorySlotBytes(v, node->directoryNumber);
    uint16_t word = ReadU16(slotBytes + slot::kWord);
    WriteU16(slotBytes + slot::kWord, static_cast<uint16_t>(word & ~slot::kWordInUse));
    slotBytes[slot::kInUse] = 0;
    first = word & kFatValueMask;
    // From now on the directory reads as gone. Its children stay in the tree, which
    // frees them at the end; every one of them is gone already.
    node->directoryRecord = nullptr;
  } else {
    node->entry[entry::kFlags] = static_cast<uint8_t>(node->entry[entry::kFlags] & ~entry::kInUse);
    if (ReadU32(node->entry + entry::kBodyLength) == 0) return Success();
    first = ReadU16(node->entry + entry::kFirstSector) & kFatValueMask;
  }
  return FreeChain(v, first);
}

Status DeleteDirectoryTree(TreeNode* node) {
  if (!node->isDirectory) return ShownMessage("Cannot delete dir");
  if (IsGone(node)) return Success();
  for (uint32_t i = 0; i < node->children.count(); ++i) {
    TreeNode* child = node->children.ptr<TreeNode>(i);
    OX_TRY(child->isDirectory ? DeleteDirectoryTree(child) : DeleteEntry(child));
  }
  return DeleteEntry(node);
}

void ReattachChildDirectories(TreeNode* node) {
  if (!node->directoryRecord) return;
  const int32_t number = node->directoryNumber;
  const uint8_t ownParent = node->directoryRecord[dirrec::kParent];
  const bool topLevel = ownParent == number;
  for (uint32_t k = 0; k < kDirectoryCount; ++k) {
    TreeNode* other = node->volume->directoryNodes[k];
    if (!other || !other->directoryRecord) continue;
    uint8_t* parent = other->directoryRecord + dirrec::kParent;
    if (*parent == number) *parent = topLevel ? static_cast<uint8_t>(k) : ownParent;
  }
}

}  // namespace ox::disk
