#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "common/alloc.h"
#include "disk/directory_graph.h"
#include "disk/index_stack.h"

using namespace ox;
using namespace ox::disk;

namespace {

using Edges = std::vector<std::pair<int32_t, int32_t>>;

Status Search(DirectoryGraph& g, const Edges& edges) {
  Status s = InitGraph(&g);
  if (s.failed()) return s;
  for (auto [from, to] : edges) {
    s = AddEdge(&g, from, to);
    if (s.failed()) return s;
  }
  return FindComponents(&g);
}

// i -> i+1 for i below `top`, and `top` its own parent: every child numbered below its parent.
Edges DownwardChain(int32_t top) {
  Edges e;
  for (int32_t i = 0; i < top; ++i) e.push_back({i, i + 1});
  e.push_back({top, top});
  return e;
}

Edges UpwardChain(int32_t length) {
  Edges e{{0, 0}};
  for (int32_t i = 1; i < length; ++i) e.push_back({i, i - 1});
  return e;
}

}  // namespace

TEST(FindComponents, NumbersComponentsInTheOrderTheSearchCompletesThem) {
  struct Case {
    const char* what;
    Edges edges;
    std::vector<std::pair<int32_t, int32_t>> expected;  // node, component
  } cases[] = {
      {"only 0, its own parent", {{0, 0}}, {{0, 0}, {1, 1}, {255, 255}}},
      {"1 and 2 each other's parent", {{1, 2}, {2, 1}}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {255, 254}}},
      {"a cycle of three and a child of it",
       {{1, 2}, {2, 3}, {3, 1}, {4, 1}},
       {{1, 1}, {2, 1}, {3, 1}, {4, 2}, {5, 3}}},
      {"children numbered above their parent", {{5, 5}, {6, 5}, {7, 5}}, {{4, 4}, {5, 5}, {6, 6}, {7, 7}}},
      // the search reaches 9 from 4 and completes 9 first
      {"a child numbered below its parent", {{0, 0}, {9, 0}, {4, 9}}, {{3, 3}, {9, 4}, {4, 5}, {5, 6}, {10, 10}}},
      {"unused numbers only", {}, {{0, 0}, {128, 128}, {255, 255}}},
      {"128 directories numbered downwards fill the stack", DownwardChain(127), {{127, 0}, {0, 127}, {128, 128}}},
      {"upward chains are never deep on the stack", UpwardChain(256), {{0, 0}, {255, 255}}},
  };
  for (const auto& c : cases) {
    DirectoryGraph g;
    ASSERT_TRUE(Search(g, c.edges).ok) << c.what;
    for (auto [node, component] : c.expected) EXPECT_EQ(g.components[node], component) << c.what << ", node " << node;
  }
}

TEST(FindComponents, Failures) {
  struct Case {
    const char* what;
    Edges edges;
    const char* message;
  } cases[] = {
      {"edge to 256", {{0, 0}, {3, 256}}, "Invalid edge in graph"},
      {"edge to -1", {{7, -1}}, "Invalid edge in graph"},
      {"129 directories numbered downwards", DownwardChain(128), "Overflow of Stack"},
  };
  for (const auto& c : cases) {
    DirectoryGraph g;
    Status s = Search(g, c.edges);
    EXPECT_STREQ(s.message, c.message) << c.what;
    EXPECT_FALSE(s.show) << c.what;
    EXPECT_EQ(ToHostResult(s), 1) << c.what;
    EXPECT_EQ(g.components, nullptr) << c.what;
  }
}

TEST(FindComponents, RefusesToRunTwiceAndGraphsToInitTwice) {
  DirectoryGraph g;
  ASSERT_TRUE(Search(g, {{0, 0}}).ok);
  Status again = FindComponents(&g);
  EXPECT_STREQ(again.message, "SC already filled");
  EXPECT_FALSE(again.show);
  EXPECT_EQ(g.components[0], 0);
  Status init = InitGraph(&g);
  EXPECT_STREQ(init.message, "Already initialized");
  EXPECT_FALSE(init.show);
  // an invalid edge is reported before a second search is refused
  ASSERT_TRUE(AddEdge(&g, 1, 300).ok);
  EXPECT_STREQ(FindComponents(&g).message, "Invalid edge in graph");
}

TEST(FindComponents, EveryFailedAllocationIsOutOfMemoryAndLeaksNothing) {
  Edges edges = {{0, 0}, {1, 2}, {2, 1}, {3, 2}, {9, 0}, {4, 9}};
  for (uint64_t n = 1;; ++n) {
    DirectoryGraph g;
    ArmAllocationFailure(n);
    Status s = Search(g, edges);
    DisarmAllocationFailure();
    if (s.ok) {
      EXPECT_EQ(g.components[2], g.components[1]);
      EXPECT_GT(n, 256u);  // one array of lists and 256 empty lists at least
      break;
    }
    ASSERT_EQ(ToHostResult(s), 11) << "allocation " << n;
    EXPECT_EQ(g.components, nullptr);
  }
}

TEST(IndexStack, LimitsAndGrowth) {
  IndexStack stack;
  struct Case {
    uint32_t capacity, limit;
    const char* message;
  } refused[] = {
      {0, 2000000001u, "Capacity of stack is too large"},
      {5, 4, "Capacity of stack too large"},
  };
  for (const auto& c : refused) {
    Status s = stack.Make(c.capacity, c.limit);
    EXPECT_STREQ(s.message, c.message);
    EXPECT_FALSE(s.show);
  }
  ASSERT_TRUE(stack.Make(0, 5).ok);
  std::vector<uint32_t> capacities;
  for (uint32_t x = 10; x < 15; ++x) {
    ASSERT_TRUE(stack.Push(x).ok);
    capacities.push_back(stack.capacity);
  }
  EXPECT_EQ(capacities, (std::vector<uint32_t>{1, 2, 4, 4, 5}));  // doubling, capped by the limit
  Status over = stack.Push(15);
  EXPECT_STREQ(over.message, "Overflow of Stack");
  EXPECT_FALSE(over.show);
  EXPECT_EQ(stack.top, 5u);
  for (uint32_t x = 15; x-- > 10;) EXPECT_EQ(stack.Pop(), x);
  EXPECT_TRUE(stack.empty());

  ASSERT_TRUE(stack.Make(1, 2000000000u).ok);  // the largest limit is allowed
  ArmAllocationFailure(1);
  ASSERT_TRUE(stack.Push(1).ok);  // fits: no allocation
  EXPECT_EQ(ToHostResult(stack.Push(2)), 11);
  DisarmAllocationFailure();
  EXPECT_EQ(stack.top, 1u);
  EXPECT_EQ(stack.Pop(), 1u);
}
