#include "disk/directory_tree.h"

#include <cstdio>
#include <cstring>

#include "disk/directory_graph.h"
#include "disk/directory_table.h"
#include "disk/layout.h"

namespace ox::disk {

namespace {

// prefix followed by n in decimal, cut to the 19 characters a node name holds.
void NumberedName(char (&out)[kNodeNameSize], const char* prefix, uint32_t n) {
  char text[32];
  snprintf(text, sizeof text, "%s%lu", prefix, static_cast<unsigned long>(n));
  size_t length = strlen(text);
  if (length > kNodeNameSize - 1) length = kNodeNameSize - 1;
  memcpy(out, text, length);
  out[length] = '\0';
}

}  // namespace

Status OpenDirectoryChain(ChainReader* reader, DiskVolume* v, int32_t number) {
  if (number < 0 || number >= static_cast<int32_t>(kDirectoryCount) || !IsSlotInUse(*v, number))
    return ShownMessage("ERROR 686");
  uint32_t first = SlotFirstSector(*v, number);
  if (first >= v->sectorCount) return ShownMessage("ERROR 687");
  OX_TRY(OpenChain(reader, v, static_cast<int32_t>(first), true));
  uint8_t record[kRecordSize];
  if (reader->length % kRecordSize != 0 || ReadChain(reader, record, kRecordSize) < kRecordSize)
    return HostCode(kHostBadData);
  return Success();
}

Status LoadDirectoryFiles(TreeNode* directory, uint32_t* counter) {
  if (!directory->hasRecord || !directory->isDirectory) return ShownMessage("ERROR 675");
  DiskVolume* v = directory->volume;
  ChainReader reader{};
  OX_TRY(OpenDirectoryChain(&reader, v, directory->directoryNumber));
  for (;;) {
    // Whole sectors hold whole records, so the next record starts where the reader stands.
    uint8_t* where = reader.current < 0 ? nullptr
                                        : SectorBytes(*v, static_cast<uint32_t>(reader.current)) +
                                              reader.position % kSectorSize;
    uint8_t record[kRecordSize];
    if (ReadChain(&reader, record, kRecordSize) < kRecordSize) return Success();
    uint8_t flags = record[entry::kFlags];
    if ((flags & entry::kListedMask) != entry::kListedValue) continue;
    TreeNode* file = NewTreeNode(v);
    if (!file) return OutOfMemory();
    file->hasRecord = 1;
    file->entry = where;
    if (!(flags & entry::kHasHeader)) {
      NumberedName(file->generatedName, "headerless", *counter);
      *counter += 1;
    }
    Status s = file->children.Init();
    if (s.ok) s = directory->children.Append(file);
    if (s.failed()) {
      FreeNode(file);
      return s;
    }
  }
}

namespace {

// Tree view: present directories only, each with its edge to its parent number.
Status MakeDirectoryNodes(bool tree, DiskVolume* v, DirectoryGraph* graph) {
  for (int32_t i = 0; i < static_cast<int32_t>(kDirectoryCount); ++i) {
    if (tree && !IsSlotInUse(*v, i)) continue;
    TreeNode* node = NewTreeNode(v);
    if (!node) return OutOfMemory();
    v->directoryNodes[i] = node;
    OX_TRY(InitDirectoryNode(node, i));
    if (tree) OX_TRY(AddEdge(graph, i, node->directoryRecord[dirrec::kParent]));
  }
  return Success();
}

Status ListFlat(DiskVolume* v, TreeNode* root) {
  for (uint32_t i = 0; i < kDirectoryCount; ++i) OX_TRY(root->children.Append(v->directoryNodes[i]));
  return Success();
}

Status AddCycleGroup(DiskVolume* v, const DirectoryGraph& graph, int32_t component, uint32_t k, TreeNode* root) {
  TreeNode* group = NewTreeNode(v);
  if (!group) return OutOfMemory();
  char name[kNodeNameSize];
  NumberedName(name, "CYCLE", k);
  Status s = InitNamedNode(group, name);
  if (s.ok) s = root->children.Append(group);
  if (s.failed()) {
    FreeNode(group);
    return s;
  }
  group->cycleGroup = 1;
  for (uint32_t d = 0; d < kDirectoryCount; ++d) {
    TreeNode* node = v->directoryNodes[d];
    if (!node || graph.components[d] != component) continue;
    node->inCycle = 1;
    OX_TRY(group->children.Append(node));
  }
  return Success();
}

// Nests the directories by their parent numbers, taking components in ascending number.
Status NestDirectories(DiskVolume* v, DirectoryGraph* graph, TreeNode* root) {
  OX_TRY(FindComponents(graph));
  uint32_t present[kDirectoryCount] = {};
  int32_t member[kDirectoryCount] = {};
  for (int32_t d = 0; d < static_cast<int32_t>(kDirectoryCount); ++d) {
    if (!v->directoryNodes[d]) continue;
    int32_t c = graph->components[d];
    present[c] += 1;
    member[c] = d;
  }
  uint32_t groups = 0;
  for (int32_t c = 0; c < static_cast<int32_t>(kDirectoryCount); ++c) {
    if (present[c] == 1) {
      TreeNode* node = v->directoryNodes[member[c]];
      int32_t parent = node->directoryRecord[dirrec::kParent];
      if (parent == member[c]) {
        OX_TRY(root->children.Append(node));
      } else if (v->directoryNodes[parent]) {
        OX_TRY(v->directoryNodes[parent]->children.Append(node));
      } else {
        return ShownMessage("Invalid directory structure");
      }
    } else if (present[c] > 1) {
      OX_TRY(AddCycleGroup(v, *graph, c, ++groups, root));
    }
  }
  return Success();
}

Status LoadAllFiles(DiskVolume* v) {
  uint32_t counter = 1;
  for (uint32_t i = 0; i < kDirectoryCount; ++i) {
    TreeNode* node = v->directoryNodes[i];
    if (node && !IsGone(node)) OX_TRY(LoadDirectoryFiles(node, &counter));
  }
  return Success();
}

// A build can fail with directory nodes not yet attached anywhere, so the
// volume's table, which holds each of them once, decides what is freed.
void ReleasePartialTree(TreeNode* root, DiskVolume* v) {
  for (uint32_t i = 0; i < root->children.count(); ++i) {
    TreeNode* child = root->children.ptr<TreeNode>(i);
    if (!child->hasRecord) FreeNode(child);  // a cycle group; its members are in the table
  }
  FreeNode(root);
  // Files first: a directory's children include other directories of the table.
  for (TreeNode* node : v->directoryNodes) {
    if (!node) continue;
    for (uint32_t j = 0; j < node->children.count(); ++j) {
      TreeNode* child = node->children.ptr<TreeNode>(j);
      if (!child->isDirectory) {
        DestroyTree(child);
        FreeNode(child);
      }
    }
  }
  for (TreeNode*& node : v->directoryNodes) {
    FreeNode(node);
    node = nullptr;
  }
}

}  // namespace

Status BuildDirectoryTree(int32_t view, DiskVolume* v, TreeNode** out) {
  *out = nullptr;
  const bool tree = view == kViewTree;  // the settings allow only the two views
  // Cleared first, so that no failure leaves the table naming nodes of an earlier tree.
  memset(v->directoryNodes, 0, sizeof v->directoryNodes);
  DirectoryGraph graph;
  OX_TRY(InitGraph(&graph));
  TreeNode* root = NewTreeNode(v);
  if (!root) return OutOfMemory();
  Status s = InitNamedNode(root, "");
  if (s.ok) s = MakeDirectoryNodes(tree, v, &graph);
  if (s.ok) s = tree ? NestDirectories(v, &graph, root) : ListFlat(v, root);
  if (s.ok) s = LoadAllFiles(v);
  if (s.failed()) {
    ReleasePartialTree(root, v);
    return s;
  }
  *out = root;
  return Success();
}

TreeNode* ListingRoot(TreeNode* root, int32_t view) {
  if (view == kViewTree && root->children.count() == 1) {
    TreeNode* only = root->children.ptr<TreeNode>(0);
    if (only->directoryRecord && only->directoryNumber == 0) return only;
  }
  return root;
}

}  // namespace ox::disk
