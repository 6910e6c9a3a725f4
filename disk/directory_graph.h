// Directories as a graph of parent links, split into strongly connected
// components. Parent numbers come from the disk and may form cycles; a component
// of two or more directories is such a cycle.
#pragma once
#include <cstdint>

#include "common/pointer_list.h"
#include "common/status.h"
#include "disk/index_stack.h"
#include "disk/layout.h"

namespace ox::disk {

struct DirectoryGraph;
// Releases every edge list, the array of lists and the component numbers.
void FreeGraph(DirectoryGraph* graph);

struct DirectoryGraph {
  int32_t nodeCount = static_cast<int32_t>(kDirectoryCount);
  int32_t* components = nullptr;  // component of each node once FindComponents succeeded
  PointerList* edges = nullptr;   // per node, the target node numbers

  DirectoryGraph() = default;
  DirectoryGraph(const DirectoryGraph&) = delete;
  DirectoryGraph& operator=(const DirectoryGraph&) = delete;
  ~DirectoryGraph() { FreeGraph(this); }
};

// Makes the empty edge lists of every node.
Status InitGraph(DirectoryGraph* graph);
Status AddEdge(DirectoryGraph* graph, int32_t from, int32_t to);
// Validates the edges and numbers the components in the order the search completes them.
Status FindComponents(DirectoryGraph* graph);

// The state of one component search (Tarjan's, with the bounded IndexStack).
struct ComponentSearch {
  DirectoryGraph* graph;
  int32_t nextOrder;
  int32_t nextComponent;
  int32_t* order;
  int32_t* low;
  IndexStack stack;
};

Status VisitNode(ComponentSearch* search, int32_t v);

}  // namespace ox::disk
