// Opening and listing a disk image whose one directory holds many entries,
// all with the same name or all with distinct names.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "common/settings.h"
#include "disk/disk_image.h"
#include "image_builder.h"
#include "temp_dir.h"

namespace {

// Directory 0 holding `count` header files without data, its chain written directly.
std::vector<uint8_t> ImageWithEntries(uint32_t count, bool sameName) {
  oxtest::ImageBuilder b(2048);
  uint32_t first = b.AddDirectory(0, 0, "BIG");
  uint32_t sector = first, record = 1;
  for (uint32_t i = 0; i < count; ++i) {
    if (record == 32) {
      uint32_t next = sector + 1;
      b.SetFat(sector, static_cast<uint16_t>(0xC000 | next));
      b.SetFat(next, 0x8400);
      memset(b.Sector(next), 0, 1024);
      sector = next;
      record = 0;
    }
    uint8_t* e = b.Sector(sector) + record++ * 32;
    e[0] = 0xB0;
    e[5] = 3;
    char name[11];
    snprintf(name, sizeof name, sameName ? "same      " : "f%-9u", i);
    memcpy(e + 6, name, 10);
    e[28] = 0xFF;
  }
  return b.Build();
}

void OpenAndList(benchmark::State& state, bool sameName) {
  uint32_t count = static_cast<uint32_t>(state.range(0));
  oxtest::TempDir dir;
  std::string path = dir / "big.mbd";
  FILE* f = fopen(path.c_str(), "wb");
  auto bytes = ImageWithEntries(count, sameName);
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
  ox::DiskSettings settings = ox::DefaultDiskSettings();
  for (auto _ : state) {
    ox::host::OpenArchiveRecord record = {};
    record.archiveName = path.data();
    ox::disk::DiskImage* image = ox::disk::OpenArchive(&record, settings);
    if (!image || image->entries.count() != count) state.SkipWithError("open failed");
    ox::host::HeaderRecord h;
    while (image && ox::disk::ReadHeader(image, &h) == 0) ox::disk::ProcessFile(image, 0, nullptr, nullptr);
    if (image) ox::disk::CloseArchive(image);
  }
  state.counters["entries"] = count;
  state.counters["ns_per_entry"] = benchmark::Counter(
      static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void SameNames(benchmark::State& state) { OpenAndList(state, true); }
void DistinctNames(benchmark::State& state) { OpenAndList(state, false); }

}  // namespace

BENCHMARK(SameNames)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(DistinctNames)->Arg(1000)->Arg(10000)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
