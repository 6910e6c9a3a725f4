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

namespace {

void FillHeader(const char* archiveName, const TreeNode* node, host::HeaderRecord* h) {
  strcpy(h->archiveName, archiveName);
  if (node->isDirectory) {
    h->fileAttributes = host::kAttrDirectory;
    if (node->hasRecord && node->directoryRecord)
      h->fileTime = static_cast<int32_t>(ReadU32(node->directoryRecord + dirrec::kDateTime));
  } else {
    uint32_t length = FileDataLength(node);
    h->packedSize = static_cast<int32_t>(length);
    h->unpackedSize = static_cast<int32_t>(length);
    h->fileTime = static_cast<int32_t>(ReadU32(node->entry + entry::kDateTime));
  }
}

}  // namespace

Status BuildEntryList(const char* archiveName, const PointerList& nodes, const char* prefix,
                      const NamingMode& mode, int view, PointerList* entries) {
  NameBuffer name;
  for (uint32_t i = 0; i < nodes.count(); ++i) {
    TreeNode* node = nodes.ptr<TreeNode>(i);
    auto* listed = static_cast<ListedEntry*>(AllocateZeroed(sizeof(ListedEntry)));
    if (!listed) return OutOfMemory();
    listed->node = node;
    Status appended = entries->Append(listed);
    if (appended.failed()) {
      Release(listed);
      return appended;
    }
    FillHeader(archiveName, node, &listed->header);
    OX_TRY(EntryDisplayName(node, mode, view, true, &name));
    size_t prefixLength = strlen(prefix), nameLength = name.length;
    if (prefixLength + nameLength + 2 > host::kNameField) return ShownMessage("Path too long");
    char* path = listed->header.fileName;
    memcpy(path, prefix, prefixLength);
    if (prefixLength) path[prefixLength++] = '\\';
    memcpy(path + prefixLength, name.text, nameLength + 1);
    OX_TRY(BuildEntryList(archiveName, node->children, path, mode, view, entries));
  }
  return Success();
}

void FreeEntryList(PointerList* entries) {
  for (uint32_t i = 0; i < entries->count(); ++i) Release(entries->ptr<ListedEntry>(i));
  entries->Free();
}

}  // namespace ox::disk
