#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/alloc.h"
#include "common/bytes.h"
#include "disk/directory_table.h"
#include "disk/directory_tree.h"
#include "image_builder.h"

using namespace ox;
using namespace ox::disk;
using oxtest::FileSpec;
using oxtest::ImageBuilder;

namespace {

FileSpec File(const std::string& name, uint8_t flags = 0xB0, std::vector<uint8_t> data = {}) {
  FileSpec f;
  f.name = name;
  f.flags = flags;
  f.data = std::move(data);
  return f;
}

// Built by appending: GCC 12 warns wrongly about "literal" + std::string.
std::string Numbered(const char* prefix, int n) {
  std::string text(prefix);
  text += std::to_string(n);
  return text;
}

// "#n" for a directory ("#n-" when absent), a file's header name or generated
// name, a named node's name; children in brackets.
std::string Describe(const TreeNode* node) {
  std::string text;
  if (!node->hasRecord) {
    text = node->name;
  } else if (node->isDirectory) {
    text = Numbered("#", node->directoryNumber) + (node->directoryRecord ? "" : "-");
  } else if (node->generatedName[0]) {
    text = node->generatedName;
  } else {
    text.assign(reinterpret_cast<const char*>(node->entry + entry::kName), entry::kNameLength);
    text.erase(text.find_last_not_of(' ') + 1);
  }
  if (node->children.count()) {
    text += "(";
    for (uint32_t i = 0; i < node->children.count(); ++i) {
      if (i) text += " ";
      text += Describe(node->children.ptr<TreeNode>(i));
    }
    text += ")";
  }
  return text;
}

// An image opened as a volume, and the tree built over it.
struct Opened {
  explicit Opened(ImageBuilder& builder) : bytes(builder.Build()) {
    EXPECT_TRUE(OpenVolume(&volume, bytes.data(), static_cast<uint32_t>(bytes.size()), true).ok);
  }
  ~Opened() { Free(); }
  Status Build(int32_t view) {
    Free();
    return BuildDirectoryTree(view, &volume, &root);
  }
  void Free() {
    if (!root) return;
    DestroyTree(root);
    FreeNode(root);
    root = nullptr;
  }
  bool NoDirectoryNodes() const {
    for (TreeNode* node : volume.directoryNodes)
      if (node) return false;
    return true;
  }
  std::vector<uint8_t> bytes;
  DiskVolume volume{};
  TreeNode* root = nullptr;
};

using ImageSetup = std::function<void(ImageBuilder&)>;

void CycleWithChild(ImageBuilder& b) {
  b.AddDirectory(0, 0, "top");
  b.AddDirectory(3, 5, "three");
  b.AddDirectory(5, 3, "five");
  b.AddDirectory(7, 5, "seven");
  b.AddFile(5, File("f5"));
  b.AddFile(3, File("f3"));
  b.AddFile(7, File("f7"));
  b.AddFile(0, File("f0"));
}

void ParentChain(ImageBuilder& b, bool downwards, int length) {
  for (int i = 0; i < length; ++i) {
    int number = downwards ? length - 1 - i : i;  // the chain's top comes first
    int parent = i == 0 ? number : (downwards ? number + 1 : number - 1);
    b.AddDirectory(number, parent, "d");
  }
}

// 129 directories: 0 top-level, then 1 under 0, 2 under 1, ... in the given numbering.
std::string ChainDescription(bool downwards, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) text += Numbered("#", downwards ? length - 1 - i : i) + (i + 1 < length ? "(" : "");
  return "(" + text + std::string(static_cast<size_t>(length), ')');
}

}  // namespace

TEST(BuildDirectoryTree, ShapesOfTheTreeView) {
  struct Case {
    const char* what;
    ImageSetup setup;
    std::string expected;
  } cases[] = {
      {"fresh image", [](ImageBuilder&) {}, ""},
      {"only directory 0", [](ImageBuilder& b) { b.AddDirectory(0, 0, "top"); b.AddFile(0, File("a")); }, "(#0(a))"},
      {"9 under 0 and 4 under 9",
       [](ImageBuilder& b) {
         b.AddDirectory(0, 0, "top");
         b.AddDirectory(4, 9, "four");
         b.AddDirectory(9, 0, "nine");
         b.AddFile(0, File("a"));
         b.AddFile(9, File("b"));
       },
       "(#0(#9(#4 b) a))"},
      {"subdirectories before files, in component order",
       [](ImageBuilder& b) {
         b.AddDirectory(2, 2, "top");
         b.AddFile(2, File("a"));
         b.AddDirectory(6, 2, "six");
         b.AddDirectory(1, 2, "one");  // completes after 2, before 6
         b.AddFile(2, File("b"));
       },
       "(#2(#1 #6 a b))"},
      {"3 and 5 each other's parent, 7 under 5", CycleWithChild, "(#0(f0) CYCLE1(#3(f3) #5(#7(f7) f5)))"},
      {"two cycles numbered in component order",
       [](ImageBuilder& b) {
         b.AddDirectory(20, 21, "a");
         b.AddDirectory(21, 20, "b");
         b.AddDirectory(8, 9, "c");
         b.AddDirectory(9, 10, "d");
         b.AddDirectory(10, 8, "e");
         b.AddDirectory(30, 30, "top");
       },
       "(CYCLE1(#8 #9 #10) CYCLE2(#20 #21) #30)"},
      {"a child numbered below its parent that is numbered below its own parent",
       [](ImageBuilder& b) {
         b.AddDirectory(50, 50, "top");
         b.AddDirectory(40, 50, "mid");
         b.AddDirectory(30, 40, "low");
         b.AddDirectory(45, 50, "other");
       },
       "(#50(#40(#30) #45))"},
      {"129 directories numbered upwards", [](ImageBuilder& b) { ParentChain(b, false, 129); }, ChainDescription(false, 129)},
      {"128 directories numbered downwards", [](ImageBuilder& b) { ParentChain(b, true, 128); }, ChainDescription(true, 128)},
  };
  for (const auto& c : cases) {
    ImageBuilder builder;
    c.setup(builder);
    Opened image(builder);
    ASSERT_TRUE(image.Build(kViewTree).ok) << c.what;
    EXPECT_EQ(Describe(image.root), c.expected) << c.what;
    EXPECT_EQ(image.root->name[0], '\0');
    for (uint32_t i = 0; i < kDirectoryCount; ++i) {
      TreeNode* node = image.volume.directoryNodes[i];
      EXPECT_EQ(node != nullptr, IsSlotInUse(image.volume, static_cast<int32_t>(i))) << c.what << ", #" << i;
    }
  }
}

TEST(BuildDirectoryTree, CycleGroupsAndTheirMembersAreMarked) {
  ImageBuilder builder;
  CycleWithChild(builder);
  Opened image(builder);
  ASSERT_TRUE(image.Build(kViewTree).ok);
  TreeNode* group = image.root->children.ptr<TreeNode>(1);
  EXPECT_TRUE(group->cycleGroup && group->isDirectory && !group->hasRecord);
  EXPECT_STREQ(group->name, "CYCLE1");
  EXPECT_EQ(group->directoryNumber, -1);
  const DiskVolume& v = image.volume;
  EXPECT_TRUE(v.directoryNodes[3]->inCycle && v.directoryNodes[5]->inCycle);
  EXPECT_FALSE(v.directoryNodes[7]->inCycle || v.directoryNodes[0]->inCycle);
  EXPECT_FALSE(v.directoryNodes[3]->cycleGroup);
  EXPECT_EQ(ListingRoot(image.root, kViewTree), image.root);
}

TEST(BuildDirectoryTree, SimpleViewListsAllNumbersFlat) {
  ImageBuilder builder;
  CycleWithChild(builder);
  builder.AddDirectory(1, 200, "orphan");  // its parent is not in use: no matter here
  Opened image(builder);
  ASSERT_TRUE(image.Build(kViewSimple).ok);
  ASSERT_EQ(image.root->children.count(), 256u);
  for (uint32_t i = 0; i < 256; ++i) {
    TreeNode* node = image.root->children.ptr<TreeNode>(i);
    EXPECT_EQ(node, image.volume.directoryNodes[i]);
    EXPECT_EQ(node->directoryNumber, static_cast<int32_t>(i));
    EXPECT_TRUE(node->hasRecord && node->isDirectory);
    bool present = i == 0 || i == 1 || i == 3 || i == 5 || i == 7;
    EXPECT_EQ(node->directoryRecord != nullptr, present) << i;
    EXPECT_EQ(IsGone(node), present ? 0 : 1) << i;
    if (!present) {
      EXPECT_EQ(node->children.count(), 0u) << i;
    }
  }
  EXPECT_EQ(Describe(image.volume.directoryNodes[5]), "#5(f5)");
  EXPECT_EQ(Describe(image.volume.directoryNodes[3]), "#3(f3)");
  EXPECT_FALSE(image.volume.directoryNodes[3]->inCycle);
  EXPECT_EQ(ListingRoot(image.root, kViewSimple), image.root);
}

TEST(BuildDirectoryTree, FreshImageInTheSimpleView) {
  ImageBuilder builder;
  Opened image(builder);
  ASSERT_TRUE(image.Build(kViewSimple).ok);
  ASSERT_EQ(image.root->children.count(), 256u);
  for (uint32_t i = 0; i < 256; ++i) {
    TreeNode* node = image.root->children.ptr<TreeNode>(i);
    EXPECT_EQ(node->directoryRecord, nullptr);
    EXPECT_EQ(node->children.count(), 0u);
  }
}

TEST(ListingRoot, EntersALoneDirectoryZeroInTheTreeViewOnly) {
  struct Case {
    const char* what;
    ImageSetup setup;
    int32_t view;
    int32_t entered;  // directory number, or -1 for the root
  } cases[] = {
      {"only 0, Tree", [](ImageBuilder& b) { b.AddDirectory(0, 0, "top"); }, kViewTree, 0},
      {"only 0, Simple", [](ImageBuilder& b) { b.AddDirectory(0, 0, "top"); }, kViewSimple, -1},
      {"0 with 1 under it", [](ImageBuilder& b) { b.AddDirectory(0, 0, "top"); b.AddDirectory(1, 0, "sub"); }, kViewTree, 0},
      {"only 1", [](ImageBuilder& b) { b.AddDirectory(1, 1, "top"); }, kViewTree, -1},
      {"0 and 1 top-level", [](ImageBuilder& b) { b.AddDirectory(0, 0, "a"); b.AddDirectory(1, 1, "b"); }, kViewTree, -1},
      {"0 and 1 a cycle", [](ImageBuilder& b) { b.AddDirectory(0, 1, "a"); b.AddDirectory(1, 0, "b"); }, kViewTree, -1},
      {"fresh", [](ImageBuilder&) {}, kViewTree, -1},
  };
  for (const auto& c : cases) {
    ImageBuilder builder;
    c.setup(builder);
    Opened image(builder);
    ASSERT_TRUE(image.Build(c.view).ok) << c.what;
    TreeNode* listed = ListingRoot(image.root, c.view);
    EXPECT_EQ(listed, c.entered < 0 ? image.root : image.volume.directoryNodes[c.entered]) << c.what;
  }
}

TEST(BuildDirectoryTree, ListsFilesInDiskOrderAndNamesHeaderlessOnesAcrossTheImage) {
  ImageBuilder builder;
  builder.AddDirectory(0, 0, "top");
  builder.AddDirectory(1, 0, "sub");
  builder.AddFile(1, File("h1", 0xA0));  // on disk before the one in 0, numbered after it
  builder.AddFile(1, File("x", 0xA1));   // not a listed file
  builder.AddFile(1, File("x", 0xE0));
  builder.AddFile(1, File("x", 0x20));
  builder.AddFile(1, File("x", 0x30));  // deleted
  builder.AddFile(0, File("h0", 0xA0));
  std::vector<uint32_t> offsets;
  for (int i = 0; i < 40; ++i) {  // runs on into the directory's second sector
    offsets.push_back(builder.AddFile(0, File(Numbered("n", i), i == 35 ? 0xA0 : 0xB0)));
  }
  for (int32_t view : {kViewTree, kViewSimple}) {
    Opened image(builder);
    ASSERT_TRUE(image.Build(view).ok);
    TreeNode* zero = image.volume.directoryNodes[0];
    TreeNode* one = image.volume.directoryNodes[1];
    EXPECT_EQ(Describe(one), "#1(headerless3)");
    uint32_t first = view == kViewTree ? 1 : 0;  // directory 1 comes first in the Tree view
    ASSERT_EQ(zero->children.count(), first + 41);
    EXPECT_STREQ(zero->children.ptr<TreeNode>(first)->generatedName, "headerless1");
    for (uint32_t i = 0; i < 40; ++i) {
      TreeNode* file = zero->children.ptr<TreeNode>(first + 1 + i);
      EXPECT_EQ(file->entry, image.bytes.data() + offsets[i]) << i;  // a pointer into the image, not a copy
      EXPECT_TRUE(file->hasRecord && !file->isDirectory);
      EXPECT_EQ(file->directoryNumber, -1);
      EXPECT_STREQ(file->generatedName, i == 35 ? "headerless2" : "");
    }
  }
}

TEST(FileDataLength, MeasuresTheChainNotTheBodyLength) {
  ImageBuilder builder;
  builder.AddDirectory(0, 0, "top");
  builder.AddFile(0, File("empty"));
  uint32_t sized = builder.AddFile(0, File("sized", 0xB0, std::vector<uint8_t>(1500, 7)));
  uint32_t claims = builder.AddFile(0, File("claims", 0xB0, std::vector<uint8_t>(10, 7)));
  uint32_t broken = builder.AddFile(0, File("broken", 0xB0, std::vector<uint8_t>(3000, 7)));
  auto& bytes = builder.bytes();
  WriteU32(bytes.data() + claims + entry::kBodyLength, 99999);
  uint32_t brokenFirst = ReadU16(bytes.data() + broken + entry::kFirstSector);
  builder.SetFat(brokenFirst + 1, 0);  // the chain's second sector is free
  WriteU16(bytes.data() + sized + entry::kFirstSector,
           static_cast<uint16_t>(ReadU16(bytes.data() + sized + entry::kFirstSector) | 0xC000));  // high bits ignored
  Opened image(builder);
  ASSERT_TRUE(image.Build(kViewTree).ok);
  TreeNode* zero = image.volume.directoryNodes[0];
  ASSERT_EQ(Describe(zero), "#0(empty sized claims broken)");
  std::vector<uint32_t> lengths;
  for (uint32_t i = 0; i < 4; ++i) lengths.push_back(FileDataLength(zero->children.ptr<TreeNode>(i)));
  EXPECT_EQ(lengths, (std::vector<uint32_t>{0, 1500, 10, 0xFFFFFFFFu}));
}

TEST(IsGone, FollowsTheDiskForRecordsAndTheFlagForNamedNodes) {
  ImageBuilder builder;
  CycleWithChild(builder);
  Opened image(builder);
  ASSERT_TRUE(image.Build(kViewTree).ok);
  TreeNode* group = image.root->children.ptr<TreeNode>(1);
  TreeNode* seven = image.volume.directoryNodes[7];
  TreeNode* file = seven->children.ptr<TreeNode>(0);
  EXPECT_FALSE(IsGone(image.root) || IsGone(group) || IsGone(seven) || IsGone(file));
  group->removed = 1;
  EXPECT_TRUE(IsGone(group));
  file->entry[entry::kFlags] = 0x20;  // deletion clears bit 7
  EXPECT_TRUE(IsGone(file));
  file->entry[entry::kFlags] = 0xA0;  // the header bit is free
  EXPECT_FALSE(IsGone(file));
  uint8_t* slot = DirectorySlotBytes(image.volume, 7);
  slot[slot::kWord + 1] &= 0x7F;  // marker still 0x80
  EXPECT_TRUE(IsGone(seven));
  slot[slot::kWord + 1] |= 0x80;
  slot[slot::kInUse] = 0x81;
  EXPECT_TRUE(IsGone(seven));
}

TEST(BuildDirectoryTree, FailuresReleaseEverything) {
  struct Case {
    const char* what;
    ImageSetup setup;
    int32_t view;
    int32_t host;
    const char* message;  // nullptr: a host code
    bool shown;
  } cases[] = {
      {"parent 200 not in use", [](ImageBuilder& b) { CycleWithChild(b); b.AddDirectory(9, 200, "x"); b.AddFile(9, File("f")); },
       kViewTree, 1, "Invalid directory structure", true},
      {"129 directories numbered downwards", [](ImageBuilder& b) { ParentChain(b, true, 129); b.AddFile(0, File("f")); },
       kViewTree, 1, "Overflow of Stack", false},
      {"directory beyond the image, Tree",
       [](ImageBuilder& b) { CycleWithChild(b); b.AddDirectory(8, 8, "x"); WriteU16(b.Slot(8) + 2, 0x8000 | 1804); },
       kViewTree, 12, nullptr, false},
      {"directory beyond the image, Simple",
       [](ImageBuilder& b) { CycleWithChild(b); b.AddDirectory(8, 8, "x"); WriteU16(b.Slot(8) + 2, 0x8000 | 1804); },
       kViewSimple, 12, nullptr, false},
      {"directory chain broken after the files of others were loaded",
       [](ImageBuilder& b) {
         CycleWithChild(b);
         uint32_t s = b.AddDirectory(200, 0, "x");
         b.SetFat(s, 0);
       },
       kViewTree, 12, nullptr, false},
      {"directory in an image sector the FAT cannot describe",
       [](ImageBuilder& b) { CycleWithChild(b); b.AddDirectory(8, 8, "x"); WriteU16(b.Slot(8) + 2, 0x8000 | 2100); },
       kViewSimple, 12, nullptr, false},
  };
  for (const auto& c : cases) {
    ImageBuilder builder(2200);
    c.setup(builder);
    Opened image(builder);
    Status s = image.Build(c.view);
    EXPECT_EQ(ToHostResult(s), c.host) << c.what;
    if (c.message) {
      EXPECT_STREQ(s.message, c.message) << c.what;
    }
    EXPECT_EQ(s.show != 0, c.shown) << c.what;
    EXPECT_EQ(image.root, nullptr) << c.what;
    EXPECT_TRUE(image.NoDirectoryNodes()) << c.what;
  }
}

TEST(BuildDirectoryTree, ImagesTheTreeViewRefusesOpenInTheSimpleView) {
  for (ImageSetup setup : std::vector<ImageSetup>{[](ImageBuilder& b) { b.AddDirectory(9, 200, "x"); },
                                         [](ImageBuilder& b) { ParentChain(b, true, 129); }}) {
    ImageBuilder builder;
    setup(builder);
    Opened image(builder);
    ASSERT_FALSE(image.Build(kViewTree).ok);
    ASSERT_TRUE(image.Build(kViewSimple).ok);
    EXPECT_EQ(image.root->children.count(), 256u);
  }
}

TEST(BuildDirectoryTree, EveryFailedAllocationIsOutOfMemoryAndLeaksNothing) {
  ImageBuilder builder;
  CycleWithChild(builder);
  builder.AddDirectory(1, 0, "sub");
  builder.AddDirectory(11, 12, "a");
  builder.AddDirectory(12, 11, "b");
  builder.AddFile(1, File("h", 0xA0));
  for (int i = 0; i < 35; ++i) builder.AddFile(0, File(Numbered("f", i)));
  for (int32_t view : {kViewTree, kViewSimple}) {
    Opened image(builder);
    ASSERT_TRUE(image.Build(view).ok);
    std::string expected = Describe(image.root);
    image.Free();
    for (uint64_t n = 1;; ++n) {
      ArmAllocationFailure(n);
      Status s = image.Build(view);
      DisarmAllocationFailure();
      if (s.ok) {
        EXPECT_EQ(Describe(image.root), expected);
        EXPECT_GT(n, 300u) << view;
        break;
      }
      ASSERT_EQ(ToHostResult(s), 11) << "view " << view << ", allocation " << n;
      EXPECT_EQ(image.root, nullptr);
      EXPECT_TRUE(image.NoDirectoryNodes());
    }
  }
}

TEST(OpenDirectoryChain, RefusesUnusedAndMisplacedDirectories) {
  ImageBuilder builder(2200);
  uint32_t first = builder.AddDirectory(0, 0, "top");
  builder.AddDirectory(1, 1, "far");
  builder.AddDirectory(2, 2, "free");
  WriteU16(builder.Slot(1) + 2, 0x8000 | 2200);
  builder.SetFat(first + 2, 0);
  builder.AddFile(0, File("a"));
  Opened image(builder);
  struct Case {
    int32_t number;
    int32_t host;
    const char* message;
  } cases[] = {{0, 0, nullptr}, {3, 1, "ERROR 686"}, {1, 1, "ERROR 687"}, {2, 12, nullptr}};
  for (const auto& c : cases) {
    ChainReader reader{};
    Status s = OpenDirectoryChain(&reader, &image.volume, c.number);
    EXPECT_EQ(ToHostResult(s), c.host) << c.number;
    if (c.message) {
      EXPECT_STREQ(s.message, c.message);
      EXPECT_TRUE(s.show);
    }
    if (s.ok) {
      EXPECT_EQ(reader.position, 32u);
    }
  }
  TreeNode* node = NewTreeNode(&image.volume);
  ASSERT_NE(node, nullptr);
  uint32_t counter = 1;
  ASSERT_TRUE(InitNamedNode(node, "named").ok);
  Status s = LoadDirectoryFiles(node, &counter);
  EXPECT_STREQ(s.message, "ERROR 675");
  EXPECT_TRUE(s.show);
  ASSERT_TRUE(InitDirectoryNode(node, 0).ok);
  EXPECT_EQ(node->directoryRecord, image.bytes.data() + first * 1024);
  ASSERT_TRUE(LoadDirectoryFiles(node, &counter).ok);
  EXPECT_EQ(Describe(node), "#0(a)");
  DestroyTree(node);
  FreeNode(node);
}

TEST(BuildDirectoryTree, RealImages) {
  const std::string dir = std::string(OX_SAMPLES_DIR) + "/mbd/";
  for (const char* name : {"mb02plus_MB02-Boot-DMA-fix.mbd", "mb02plus_boot-dma-fix_2018-09-18.mbd"}) {
    auto bytes = oxtest::ReadWholeFile(dir + name);
    if (bytes.empty()) GTEST_SKIP() << "sample images not found in " << dir;
    DiskVolume volume{};
    ASSERT_TRUE(OpenVolume(&volume, bytes.data(), static_cast<uint32_t>(bytes.size()), true).ok) << name;
    for (int32_t view : {kViewTree, kViewSimple}) {
      TreeNode* root = nullptr;
      ASSERT_TRUE(BuildDirectoryTree(view, &volume, &root).ok) << name;
      TreeNode* zero = volume.directoryNodes[0];
      TreeNode* one = volume.directoryNodes[1];
      ASSERT_TRUE(zero && one && zero->directoryRecord && one->directoryRecord) << name;
      uint32_t files0 = 0, files1 = 0;
      for (uint32_t i = 0; i < zero->children.count(); ++i) files0 += !zero->children.ptr<TreeNode>(i)->isDirectory;
      for (uint32_t i = 0; i < one->children.count(); ++i) files1 += !one->children.ptr<TreeNode>(i)->isDirectory;
      EXPECT_EQ(files0, 13u) << name;
      EXPECT_EQ(files1, 6u) << name;
      if (view == kViewTree) {
        EXPECT_EQ(ListingRoot(root, view), zero) << name;
        EXPECT_EQ(zero->children.ptr<TreeNode>(0), one) << name;
      }
      for (uint32_t i = 0; i < one->children.count(); ++i)
        EXPECT_NE(FileDataLength(one->children.ptr<TreeNode>(i)), 0xFFFFFFFFu) << name;
      DestroyTree(root);
      FreeNode(root);
    }
  }
}
