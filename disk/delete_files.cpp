#include "disk/delete_files.h"

#include <cstring>

#include "common/alloc.h"
#include "common/naming.h"
#include "disk/delete_entry.h"
#include "disk/directory_tree.h"
#include "disk/entry_listing.h"
#include "disk/image_file.h"
#include "disk/owned_tree.h"
#include "disk/path_component.h"

namespace ox::disk {

namespace {

// The first present child of the wanted kind listed under the component's name.
Status FindChild(const TreeNode* parent, const char* component, bool directory, const DiskSettings& settings,
                 TreeNode** found) {
  NameBuffer name;
  for (uint32_t i = 0; i < parent->children.count(); ++i) {
    TreeNode* child = parent->children.ptr<TreeNode>(i);
    if ((child->isDirectory != 0) != directory || IsGone(child)) continue;
    OX_TRY(EntryDisplayName(child, settings.Naming, settings.DirStructViewMode, true, &name));
    if (ComponentEquals(component, name.text)) {
      *found = child;
      return Success();
    }
  }
  return ShownMessage("File or directory not found");
}

Status DeleteName(TreeNode* start, const char* name, const DiskSettings& settings) {
  // Hosts name a directory with "*.*" after it; a name ending in a backslash would
  // leave a directory's contents behind, so it is refused before anything changes.
  if (name[strlen(name) - 1] == '\\') return ShownMessage("Invalid path");
  TreeNode* current = start;
  bool everything = false;
  for (const char* p = name;;) {
    size_t length = ComponentLength(p);
    bool directory = p[length] == '\\';
    if (everything) return ShownMessage("Invalid path");
    if (ComponentEquals(p, "*.*")) everything = true;
    else OX_TRY(FindChild(current, p, directory, settings, &current));
    if (!directory) break;
    p += length + 1;
  }
  if (!everything) return DeleteEntry(current);
  if (!current->hasRecord && !current->cycleGroup) return Success();  // the root holds no object of the disk
  // Where the tree does not hold a directory's subdirectories, they are handed on first.
  if ((settings.DirStructViewMode == kViewSimple && current->isDirectory) || current->inCycle)
    ReattachChildDirectories(current);
  return DeleteDirectoryTree(current);
}

Status DeleteFromImage(WritableImage& image, HeapBlock<DiskVolume>& volume, OwnedTree& tree, const char* packedFile,
                       const char* deleteList, const DiskSettings& settings) {
  OX_TRY(image.Open(packedFile, plat::Disposition::kOpenExisting));
  OX_TRY(image.CheckFileSize());
  OX_TRY(image.AllocateBuffer(static_cast<uint32_t>(image.fileSize())));
  OX_TRY(image.ReadAll());
  volume.reset(static_cast<DiskVolume*>(AllocateZeroed(sizeof(DiskVolume))));
  if (!volume) return OutOfMemory();
  OX_TRY(OpenVolume(volume.get(), image.bytes(), image.size(), true));
  const int32_t view = settings.DirStructViewMode;
  OX_TRY(BuildDirectoryTree(view, volume.get(), tree.out()));
  TreeNode* start = ListingRoot(tree.root(), view);
  OX_TRY(NumberDuplicates(start->children, settings.Naming, view));
  for (const char* name = deleteList; name && *name; name += strlen(name) + 1)
    OX_TRY(DeleteName(start, name, settings));
  FlushFat(volume.get());
  return image.WriteAll();
}

}  // namespace

int32_t DeleteFiles(const char* packedFile, const char* deleteList, const DiskSettings& settings) {
  WritableImage image;
  HeapBlock<DiskVolume> volume;
  OwnedTree tree;
  Status result = DeleteFromImage(image, volume, tree, packedFile, deleteList, settings);
  image.Close();
  return FinishExport(result);
}

}  // namespace ox::disk
