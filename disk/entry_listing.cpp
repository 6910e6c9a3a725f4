#include "disk/entry_listing.h"

#include <cstdio>
#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/name_counter.h"
#include "common/naming.h"
#include "disk/directory_tree.h"
#include "disk/layout.h"
#include "disk/tree_node.h"

namespace ox::disk {

Status EntryDisplayName(const TreeNode* node, const NamingMode& mode, int view, bool withSuffix,
                        NameBuffer* name) {
  uint32_t d = withSuffix ? node->duplicateIndex : 0;
  name->Clear();
  if (!node->hasRecord) {
    name->Append(node->name);
  } else if (node->isDirectory) {
    const uint8_t* dirName = node->directoryRecord ? node->directoryRecord + dirrec::kName : nullptr;
    if (view == kViewSimple) BuildSimpleDirName(static_cast<uint32_t>(node->directoryNumber), dirName, name);
    else BuildTreeDirName(dirName, name);
  } else if (!(node->entry[entry::kFlags] & entry::kHasHeader)) {
    name->Append(node->generatedName);
  } else {
    const uint8_t* e = node->entry;
    HeaderExtras extras{ReadU16(e + entry::kBodyAddress), e[entry::kBodyFlags], e[entry::kAttributes]};
    return BuildFileName(ReadZxHeader(e + entry::kHeader), extras, mode, d, kDiskNameMessages, name);
  }
  return AppendDuplicateSuffix(name, d, kDiskNameMessages);
}

Status NumberDuplicates(const PointerList& nodes, const NamingMode& mode, int view) {
  if (nodes.count() == 0) return Success();  // a file's empty children list
  NameCounter counter;
  OX_TRY(counter.Init(nodes.count()));
  NameBuffer name;
  for (uint32_t i = 0; i < nodes.count(); ++i) {
    TreeNode* node = nodes.ptr<TreeNode>(i);
    OX_TRY(EntryDisplayName(node, mode, view, false, &name));
    // A file and a directory of the same name do not count against each other.
    OX_TRY(counter.Count(node->isDirectory ? 1 : 0, name.text, &node->duplicateIndex));
    OX_TRY(NumberDuplicates(node->children, mode, view));
  }
  return Success();
}

Status BuildEntryList(const PointerList& nodes, const char* prefix, const NamingMode& mode, int view,
                      PointerList* entries) {
  NameBuffer name;
  size_t prefixLength = strlen(prefix);
  for (uint32_t i = 0; i < nodes.count(); ++i) {
    TreeNode* node = nodes.ptr<TreeNode>(i);
    OX_TRY(EntryDisplayName(node, mode, view, true, &name));
    if (prefixLength + name.length + 2 > host::kNameField) return ShownMessage("Path too long");
    size_t pathLength = prefixLength + (prefixLength ? 1 : 0) + name.length;
    auto* listed = static_cast<ListedEntry*>(AllocateZeroed(sizeof(ListedEntry) + pathLength + 1));
    if (!listed) return OutOfMemory();
    Status appended = entries->Append(listed);
    if (appended.failed()) {
      Release(listed);
      return appended;
    }
    listed->node = node;
    if (node->isDirectory) {
      listed->attributes = host::kAttrDirectory;
      if (node->hasRecord && node->directoryRecord) listed->fileTime = ReadU32(node->directoryRecord + dirrec::kDateTime);
    } else {
      listed->size = FileDataLength(node);
      listed->fileTime = ReadU32(node->entry + entry::kDateTime);
    }
    char* path = listed->path();
    memcpy(path, prefix, prefixLength);
    size_t at = prefixLength;
    if (prefixLength) path[at++] = '\\';
    memcpy(path + at, name.text, name.length + 1);
    listed->pathLength = static_cast<uint32_t>(pathLength);
    OX_TRY(BuildEntryList(node->children, path, mode, view, entries));
  }
  return Success();
}

void FillHeaderRecord(const ListedEntry& entry, const char* archiveName, host::HeaderRecord* record) {
  memset(record, 0, sizeof *record);
  strcpy(record->archiveName, archiveName);
  memcpy(record->fileName, entry.path(), entry.pathLength + 1);
  record->packedSize = static_cast<int32_t>(entry.size);
  record->unpackedSize = static_cast<int32_t>(entry.size);
  record->fileTime = static_cast<int32_t>(entry.fileTime);
  record->fileAttributes = static_cast<int32_t>(entry.attributes);
}

void FreeEntryList(PointerList* entries) {
  for (uint32_t i = 0; i < entries->count(); ++i) Release(entries->ptr<ListedEntry>(i));
  entries->Free();
}

}  // namespace ox::disk
