#include "disk/target_directory.h"

#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/dos_time.h"
#include "common/naming.h"
#include "disk/directory_table.h"
#include "disk/directory_tree.h"
#include "disk/entry_listing.h"
#include "disk/path_component.h"

namespace ox::disk {

namespace {

TreeNode* Child(const TreeNode* node, uint32_t i) { return node->children.ptr<TreeNode>(i); }

// The stored name of a directory as it compares with a decoded component: its trailing
// bytes up to 0x20, which are not part of the name, read as spaces.
bool StoredNameEquals(const TreeNode* directory, const uint8_t field[kDirNameLength]) {
  uint8_t stored[kDirNameLength];
  memcpy(stored, directory->directoryRecord + dirrec::kName, kDirNameLength);
  for (uint32_t n = kDirNameLength; n > 0 && stored[n - 1] <= 0x20; --n) stored[n - 1] = ' ';
  return memcmp(stored, field, kDirNameLength) == 0;
}

// The lowest sector the FAT marks free, from sector 1 on.
bool FindFreeSector(const DiskVolume& v, uint32_t* sector) {
  for (uint32_t s = 1; IsValidSector(v, s); ++s) {
    if (!(FatEntry(v, s) & kFatUsed)) {
      *sector = s;
      return true;
    }
  }
  return false;
}

// Writes a new directory into the image: its one sector with its DirectoryRecord, its
// FAT entry and its DirectorySlot.
Status WriteNewDirectory(DiskVolume* v, int32_t number, int32_t parentNumber, const uint8_t field[kDirNameLength]) {
  uint8_t record[kRecordSize] = {};
  record[dirrec::kFlags] = 0x80;
  WriteU32(record + dirrec::kDateTime, CurrentDosDateTime());
  record[dirrec::kParent] = static_cast<uint8_t>(parentNumber);
  memcpy(record + dirrec::kName, field, kDirNameLength);
  uint32_t sector;
  if (!FindFreeSector(*v, &sector)) return NoSpace();
  uint8_t* bytes = SectorBytes(*v, sector);
  memset(bytes, 0, kSectorSize);
  memcpy(bytes, record, kRecordSize);
  SetFatEntry(*v, sector, static_cast<uint16_t>(kFatUsed | kSectorSize));
  uint8_t check = 0;
  for (uint32_t i = dirrec::kName; i < dirrec::kName + kZxNameLength; ++i) check ^= record[i];
  uint8_t* slotBytes = DirectorySlotBytes(*v, number);
  slotBytes[slot::kInUse] = slot::kInUseMark;
  slotBytes[slot::kNameCheck] = check;
  WriteU16(slotBytes + slot::kWord, static_cast<uint16_t>(sector | slot::kWordInUse));
  return Success();
}

Status CreateDirectory(TreeNode* search, TreeNode* parent, const char* component, size_t length,
                       const uint8_t field[kDirNameLength], TreeNode** result) {
  DiskVolume* v = search->volume;
  int32_t number = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(kDirectoryCount) && number < 0; ++i)
    if (!IsSlotInUse(*v, i)) number = i;
  if (number < 0) return ShownMessage("Too many directories");
  OX_TRY(WriteNewDirectory(v, number, parent->hasRecord ? parent->directoryNumber : number, field));

  // The Simple view already has a node for every number; the Tree view gets a new one.
  TreeNode* node = v->directoryNodes[number];
  const bool made = node == nullptr;
  if (made && !(node = NewTreeNode(v))) return OutOfMemory();
  Status s = InitDirectoryNode(node, number);
  if (s.ok && node->createdName) s = ShownMessage("ERROR 1091");
  if (s.ok) {
    node->createdName = static_cast<char*>(Allocate(length + 1));
    if (node->createdName) {
      memcpy(node->createdName, component, length);
      node->createdName[length] = '\0';
    } else {
      s = OutOfMemory();
    }
  }
  // A node made here belongs to the tree only once it is among the search node's children.
  if (s.ok && made) s = search->children.Append(node);
  if (s.failed()) {
    if (made) FreeNode(node);
    return s;
  }
  v->directoryNodes[number] = node;
  *result = node;
  return Success();
}

}  // namespace

Status ResolveDirectory(TreeNode* search, TreeNode* parent, const char* component, size_t length, bool mustExist,
                        uint32_t index, const DiskSettings& settings, TreeNode** result) {
  *result = nullptr;
  const int32_t view = settings.DirStructViewMode;
  const uint32_t count = search->children.count();
  if (!mustExist) {
    for (uint32_t i = 0; i < count; ++i) {
      TreeNode* c = Child(search, i);
      if (c->isDirectory && c->createdName && ComponentEquals(component, c->createdName)) {
        *result = c;
        return Success();
      }
    }
  }
  NameBuffer name;
  for (uint32_t i = 0; i < count; ++i) {
    TreeNode* c = Child(search, i);
    if (!c->isDirectory || c->createdName) continue;
    OX_TRY(EntryDisplayName(c, settings.Naming, view, true, &name));
    if (!ComponentEquals(component, name.text)) continue;
    if (IsGone(c)) return ShownMessage("Destination directory does not exist");
    *result = c;
    return Success();
  }
  if (mustExist) return ShownMessage("Destination directory not found");

  uint8_t field[kDirNameLength];
  ParseDirName(component, length, view, index == 1, field);
  for (uint32_t i = 0; i < count; ++i) {
    TreeNode* c = Child(search, i);
    if (c->isDirectory && !c->createdName && c->directoryRecord && StoredNameEquals(c, field)) {
      *result = c;
      return Success();
    }
  }
  if (search->cycleGroup) return ShownMessage("Invalid target directory");
  return CreateDirectory(search, parent, component, length, field, result);
}

}  // namespace ox::disk
