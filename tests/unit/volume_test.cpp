#include <gtest/gtest.h>

#include <cstring>

#include "common/bytes.h"
#include "disk/volume.h"
#include "image_builder.h"

using namespace ox;
using namespace ox::disk;
using oxtest::ImageBuilder;

namespace {

int32_t OpenResult(std::vector<uint8_t>& bytes, bool verify = true) {
  DiskVolume v{};
  return ToHostResult(OpenVolume(&v, bytes.data(), static_cast<uint32_t>(bytes.size()), verify));
}

}  // namespace

TEST(OpenVolume, AcceptsAFormattedImage) {
  auto bytes = ImageBuilder().Build();
  DiskVolume v{};
  ASSERT_TRUE(OpenVolume(&v, bytes.data(), static_cast<uint32_t>(bytes.size()), true).ok);
  EXPECT_EQ(v.sectorCount, 1804u);
  EXPECT_EQ(v.fat1Sectors[0], 2u);
  EXPECT_EQ(v.fat2Sectors[3], 9u);
  EXPECT_EQ(FatEntry(v, 10), 0x8400);
}

TEST(OpenVolume, ChecksInOrderWithTheirCodes) {
  struct Case {
    const char* what;
    void (*damage)(std::vector<uint8_t>&);
    int32_t expected;
  } cases[] = {
      {"empty", [](std::vector<uint8_t>& b) { b.clear(); }, 14},
      {"1023 bytes", [](std::vector<uint8_t>& b) { b.resize(1023); }, 14},
      {"1025 bytes", [](std::vector<uint8_t>& b) { b.resize(1025); }, 14},
      {"FAT 1 part beyond the end", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 18, 1804); }, 12},
      {"FAT 2 part 1 is 24-bit", [](std::vector<uint8_t>& b) { b[22] = 1; }, 12},
      {"FAT 2 part 4 beyond the end", [](std::vector<uint8_t>& b) { b.resize(9 * 1024); }, 12},
      // a bad FAT place wins over a bad geometry: it is checked first
      {"FAT place before geometry", [](std::vector<uint8_t>& b) { b[31] = 250; WriteU16(b.data() + 16, 0); b.resize(200 * 1024); }, 12},
      {"FAT sector count", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 14, 5); }, 14},
      {"FAT length", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 14, 8); WriteU16(b.data() + 16, 8192); }, 14},
      {"no tracks", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 4, 0); }, 14},
      {"no sectors per track", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 6, 0); }, 14},
      {"no sides", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 8, 0); }, 14},
      {"geometry before directory table", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 8, 0); WriteU16(b.data() + 12, 5000); }, 14},
      {"directory table beyond the end", [](std::vector<uint8_t>& b) { WriteU16(b.data() + 12, 1804); }, 12},
      {"checksum", [](std::vector<uint8_t>& b) { b[2 * 1024 + 1] ^= 1; }, 13},
      {"directory table before checksum", [](std::vector<uint8_t>& b) { b[2 * 1024 + 1] ^= 1; WriteU16(b.data() + 12, 1804); }, 12},
  };
  for (const auto& c : cases) {
    auto bytes = ImageBuilder().Build();
    c.damage(bytes);
    EXPECT_EQ(OpenResult(bytes), c.expected) << c.what;
  }
}

TEST(OpenVolume, ChecksumOnlyWithVerifyAndWithoutTheCounter) {
  auto bytes = ImageBuilder().Build();
  bytes[2 * 1024 + 0] ^= 0x55;  // the counter takes no part in the sum
  EXPECT_EQ(OpenResult(bytes), 0);
  bytes[2 * 1024 + 1] ^= 1;
  EXPECT_EQ(OpenResult(bytes, true), 13);
  EXPECT_EQ(OpenResult(bytes, false), 0);
  // only copy 1 is read
  auto other = ImageBuilder().Build();
  other[6 * 1024 + 100] ^= 0xFF;
  EXPECT_EQ(OpenResult(other), 0);
}

class ChainTest : public testing::Test {
 protected:
  void Open() {
    bytes_ = builder_.Build();
    ASSERT_TRUE(OpenVolume(&volume_, bytes_.data(), static_cast<uint32_t>(bytes_.size()), true).ok);
  }
  ImageBuilder builder_;
  std::vector<uint8_t> bytes_;
  DiskVolume volume_{};
};

TEST_F(ChainTest, LengthsInByteAndWholeMode) {
  builder_.SetFat(100, 0xC000 | 101);
  builder_.SetFat(101, 0xC000 | 50);  // chains need not ascend
  builder_.SetFat(50, 0x8000 | 10);
  builder_.SetFat(200, 0xC000 | 201);
  builder_.SetFat(201, 0x8000);  // a last sector with no bytes
  builder_.SetFat(300, 0x8401);
  Open();
  struct Case {
    int32_t first;
    bool whole;
    int32_t result;
    uint32_t length;
  } cases[] = {
      {100, false, 0, 2058}, {100, true, 0, 3072}, {200, false, 0, 1024}, {200, true, 0, 2048},
      {300, false, 12, 0},   {300, true, 0, 1024}, {-1, false, 0, 0},     {400, false, 12, 0},  // free sector
      {1804, false, 12, 0},  {2047, false, 12, 0}, {-5, false, 12, 0},
  };
  for (const auto& c : cases) {
    ChainReader r{};
    Status s = OpenChain(&r, &volume_, c.first, c.whole);
    EXPECT_EQ(ToHostResult(s), c.result) << c.first << (c.whole ? " whole" : "");
    if (s.ok) {
      EXPECT_EQ(r.length, c.length) << c.first;
    }
  }
}

TEST_F(ChainTest, CyclesAndBadLinksAreBadData) {
  builder_.SetFat(100, 0xC000 | 101);
  builder_.SetFat(101, 0xC000 | 100);
  builder_.SetFat(120, 0xC000 | 1900);  // beyond the image
  builder_.SetFat(130, 0xC000 | 131);   // links to a free sector
  Open();
  for (int32_t first : {100, 120, 130}) {
    ChainReader r{};
    EXPECT_EQ(ToHostResult(OpenChain(&r, &volume_, first, false)), 12) << first;
  }
}

TEST_F(ChainTest, ReadChainCopiesAcrossSectorsAndStopsAtTheEnd) {
  std::vector<uint8_t> data(2500);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 1024);
  uint32_t first = builder_.StoreChain(data, 500);
  Open();
  ChainReader r{};
  ASSERT_TRUE(OpenChain(&r, &volume_, static_cast<int32_t>(first), false).ok);
  std::vector<uint8_t> out(4000, 0xEE);
  EXPECT_EQ(ReadChain(&r, out.data(), 1000), 1000u);
  EXPECT_EQ(ReadChain(&r, out.data() + 1000, 100), 100u);
  EXPECT_EQ(ReadChain(&r, out.data() + 1100, 3000), 1400u);  // only what remains
  EXPECT_EQ(ReadChain(&r, out.data(), 10), 0u);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
  ChainReader empty{};
  ASSERT_TRUE(OpenChain(&empty, &volume_, -1, false).ok);
  EXPECT_EQ(ReadChain(&empty, out.data(), 10), 0u);
}

namespace {

// A volume whose free sectors are exactly the given runs.
struct AllocFixture {
  explicit AllocFixture(std::vector<std::pair<uint32_t, uint32_t>> freeRuns) {
    for (uint32_t s = 11; s < 1804; ++s) builder.SetFat(s, 0x8400);
    for (auto [from, to] : freeRuns)
      for (uint32_t s = from; s <= to; ++s) builder.SetFat(s, 0);
    bytes = builder.Build();
    EXPECT_TRUE(OpenVolume(&volume, bytes.data(), static_cast<uint32_t>(bytes.size()), true).ok);
  }
  std::vector<uint32_t> Chain(int32_t first) {
    std::vector<uint32_t> sectors;
    for (int32_t s = first; s >= 0;) {
      sectors.push_back(static_cast<uint32_t>(s));
      uint16_t e = FatEntry(volume, static_cast<uint32_t>(s));
      s = (e & 0x4000) ? (e & 0x3FFF) : -1;
    }
    return sectors;
  }
  ImageBuilder builder;
  std::vector<uint8_t> bytes;
  DiskVolume volume{};
};

std::vector<uint32_t> Range(uint32_t from, uint32_t to) {
  std::vector<uint32_t> r;
  for (uint32_t s = from; s <= to; ++s) r.push_back(s);
  return r;
}

}  // namespace

TEST(AllocateChain, BestFitInTheHighAreaFirst) {
  struct Case {
    uint32_t sectors;
    std::vector<uint32_t> chain;
  } cases[] = {
      {3, Range(128, 130)},
      {4, Range(200, 203)},
      {1, {128}},
  };
  for (const auto& c : cases) {
    AllocFixture f({{128, 130}, {200, 209}, {20, 29}});
    std::vector<uint8_t> data(c.sectors * 1024 - 10, 0x5A);
    int32_t first = 0;
    ASSERT_TRUE(AllocateChain(&f.volume, data.data(), static_cast<uint32_t>(data.size()), &first).ok);
    EXPECT_EQ(f.Chain(first), c.chain);
  }
  // 12 sectors: the largest run 200-209 first, then the best fit 128-129; linked in ascending order.
  AllocFixture f({{128, 130}, {200, 209}});
  std::vector<uint8_t> data(12 * 1024);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i / 1024);
  int32_t first = 0;
  ASSERT_TRUE(AllocateChain(&f.volume, data.data(), static_cast<uint32_t>(data.size()), &first).ok);
  std::vector<uint32_t> expected = {128, 129};
  for (uint32_t s = 200; s <= 209; ++s) expected.push_back(s);
  EXPECT_EQ(f.Chain(first), expected);
  EXPECT_EQ(FatEntry(f.volume, 209), 0x8400);
  EXPECT_EQ(SectorBytes(f.volume, 129)[0], 1);
  EXPECT_EQ(SectorBytes(f.volume, 200)[0], 2);
  EXPECT_EQ(FatEntry(f.volume, 130), 0);
}

TEST(AllocateChain, UsesTheLowAreaOnlyWhenTheHighIsFull) {
  AllocFixture f({{20, 29}});
  std::vector<uint8_t> data(4 * 1024 + 1, 1);
  int32_t first = 0;
  ASSERT_TRUE(AllocateChain(&f.volume, data.data(), static_cast<uint32_t>(data.size()), &first).ok);
  EXPECT_EQ(f.Chain(first), Range(20, 24));
  EXPECT_EQ(FatEntry(f.volume, 24), 0x8001);
}

TEST(AllocateChain, PartlyFilledLastSectorKeepsItsOldBytes) {
  AllocFixture f({{300, 300}});
  memset(SectorBytes(f.volume, 300), 0xAB, 1024);
  uint8_t data[3] = {1, 2, 3};
  int32_t first = 0;
  ASSERT_TRUE(AllocateChain(&f.volume, data, 3, &first).ok);
  EXPECT_EQ(first, 300);
  EXPECT_EQ(SectorBytes(f.volume, 300)[2], 3);
  EXPECT_EQ(SectorBytes(f.volume, 300)[3], 0xAB);
  EXPECT_EQ(FatEntry(f.volume, 300), 0x8003);
}

TEST(AllocateChain, NoSpaceChangesNothing) {
  AllocFixture f({{128, 130}, {20, 21}});
  uint8_t before[4096];
  memcpy(before, f.volume.fat, sizeof before);
  std::vector<uint8_t> data(6 * 1024);
  int32_t first = 0;
  Status s = AllocateChain(&f.volume, data.data(), static_cast<uint32_t>(data.size()), &first);
  EXPECT_STREQ(s.message, "Not enough space in image");
  EXPECT_TRUE(s.show);
  EXPECT_EQ(memcmp(before, f.volume.fat, sizeof before), 0);
}

TEST(AllocateChain, ZeroBytesAllocateNothing) {
  AllocFixture f({{128, 130}});
  uint8_t before[4096];
  memcpy(before, f.volume.fat, sizeof before);
  int32_t first = 7;
  ASSERT_TRUE(AllocateChain(&f.volume, nullptr, 0, &first).ok);
  EXPECT_EQ(first, -1);
  EXPECT_EQ(memcmp(before, f.volume.fat, sizeof before), 0);
}

TEST(FlushFat, WritesBothCopiesWithCounterAndChecksum) {
  AllocFixture f({{128, 200}});
  uint8_t counter = f.volume.fat[0];
  uint8_t data[10] = {};
  int32_t first;
  ASSERT_TRUE(AllocateChain(&f.volume, data, 10, &first).ok);
  FlushFat(&f.volume);
  FlushFat(&f.volume);
  EXPECT_EQ(f.volume.fat[0], static_cast<uint8_t>(counter + 2));
  for (uint32_t part = 0; part < 4; ++part) {
    EXPECT_EQ(memcmp(SectorBytes(f.volume, 2 + part), f.volume.fat + part * 1024, 1024), 0);
    EXPECT_EQ(memcmp(SectorBytes(f.volume, 6 + part), f.volume.fat + part * 1024, 1024), 0);
  }
  DiskVolume again{};
  EXPECT_TRUE(OpenVolume(&again, f.bytes.data(), static_cast<uint32_t>(f.bytes.size()), true).ok);
  EXPECT_EQ(FatEntry(again, 128), 0x800A);
}
