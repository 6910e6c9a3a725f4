#include "disk/directory_graph.h"

#include <new>

#include "common/alloc.h"

namespace ox::disk {

namespace {

int32_t EdgeTarget(const PointerList& list, uint32_t i) {
  return static_cast<int32_t>(static_cast<uint32_t>(list.at(i)));
}

int32_t* AllocateNumbers(int32_t count) {
  return static_cast<int32_t*>(Allocate(static_cast<size_t>(count) * sizeof(int32_t)));
}

void ReleaseEdges(PointerList* edges, int32_t made) {
  for (int32_t i = 0; i < made; ++i) edges[i].~PointerList();
  Release(edges);
}

}  // namespace

Status InitGraph(DirectoryGraph* g) {
  if (g->edges) return SilentMessage("Already initialized");
  auto* edges = static_cast<PointerList*>(Allocate(static_cast<size_t>(g->nodeCount) * sizeof(PointerList)));
  if (!edges) return OutOfMemory();
  for (int32_t i = 0; i < g->nodeCount; ++i) {
    new (&edges[i]) PointerList();
    Status s = edges[i].Init();
    if (s.failed()) {
      ReleaseEdges(edges, i + 1);
      return s;
    }
  }
  g->edges = edges;
  return Success();
}

Status AddEdge(DirectoryGraph* g, int32_t from, int32_t to) {
  // Only the target comes from the disk, and FindComponents checks it; a bad
  // source would write outside the lists.
  if (!g->edges || from < 0 || from >= g->nodeCount) return SilentMessage("Invalid edge in graph");
  return g->edges[from].Append(static_cast<uintptr_t>(static_cast<uint32_t>(to)));
}

void FreeGraph(DirectoryGraph* g) {
  if (g->edges) ReleaseEdges(g->edges, g->nodeCount);
  g->edges = nullptr;
  Release(g->components);
  g->components = nullptr;
}

Status VisitNode(ComponentSearch* search, int32_t v) {
  DirectoryGraph* g = search->graph;
  int32_t* order = search->order;
  int32_t* low = search->low;
  order[v] = search->nextOrder;
  low[v] = order[v];
  search->nextOrder += 1;
  uint32_t m = static_cast<uint32_t>(low[v]);
  OX_TRY(search->stack.Push(static_cast<uint32_t>(v)));
  const PointerList& targets = g->edges[v];
  for (uint32_t i = 0; i < targets.count(); ++i) {
    int32_t w = EdgeTarget(targets, i);
    if (order[w] == -1) OX_TRY(VisitNode(search, w));
    if (static_cast<uint32_t>(low[w]) < m) m = static_cast<uint32_t>(low[w]);
  }
  if (m < static_cast<uint32_t>(low[v])) {
    low[v] = static_cast<int32_t>(m);
    return Success();
  }
  // v roots a component: everything above it on the stack belongs to it. A
  // finished node's low number rises above every order number, so it never
  // lowers a node visited later.
  while (!search->stack.empty()) {
    int32_t w = static_cast<int32_t>(search->stack.Pop());
    g->components[w] = search->nextComponent;
    low[w] = g->nodeCount;
    if (w == v) break;
  }
  search->nextComponent += 1;
  return Success();
}

Status FindComponents(DirectoryGraph* g) {
  const int32_t n = g->nodeCount;
  if (g->edges) {
    for (int32_t i = 0; i < n; ++i)
      for (uint32_t j = 0; j < g->edges[i].count(); ++j) {
        int32_t t = EdgeTarget(g->edges[i], j);
        if (t < 0 || t >= n) return SilentMessage("Invalid edge in graph");
      }
  }
  if (g->components) return SilentMessage("SC already filled");
  if (!g->edges) return SilentMessage("Invalid edge in graph");
  g->components = AllocateNumbers(n);
  if (!g->components) return OutOfMemory();

  ComponentSearch search{g, 0, 0, nullptr, nullptr, {}};
  Status s = search.stack.Make(static_cast<uint32_t>(n / 2), static_cast<uint32_t>(n / 2));
  if (s.ok) {
    search.order = AllocateNumbers(n);
    search.low = AllocateNumbers(n);
    if (!search.order || !search.low) s = OutOfMemory();
  }
  if (s.ok) {
    for (int32_t i = 0; i < n; ++i) g->components[i] = search.order[i] = search.low[i] = -1;
    for (int32_t k = 0; k < n && s.ok; ++k)
      if (g->components[k] == -1) s = VisitNode(&search, k);
  }
  Release(search.order);
  Release(search.low);
  search.stack.Free();
  if (s.failed()) {
    Release(g->components);
    g->components = nullptr;
  }
  return s;
}

}  // namespace ox::disk
