#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/bytes.h"
#include "disk/disk_format.h"
#include "disk/new_image.h"
#include "disk/new_image_dialog.h"
#include "disk/volume.h"
#include "disk_write.h"
#include "fake_controls.h"
#include "image_builder.h"
#include "temp_dir.h"

using namespace ox;
using namespace ox::disk;
using oxtest::FakeControls;
using oxtest::Outcome;
using Names = std::vector<std::string>;

namespace fs = std::filesystem;

namespace {

constexpr int kTree = 2;

std::vector<uint8_t> TemplateBootSector() {
  std::vector<uint8_t> boot(1024, 0);
  memcpy(boot.data(), kBootTemplate, boot::kTemplateLength);
  return boot;
}

// A new image as it reaches the file: built, then its FAT written once.
std::vector<uint8_t> NewImage(const DiskFormat& row, const std::vector<uint8_t>& boot) {
  std::vector<uint8_t> image(row.imageSectors * 1024);
  BuildNewImage(image.data(), row, boot.data());
  DiskVolume volume{};
  EXPECT_TRUE(OpenVolume(&volume, image.data(), static_cast<uint32_t>(image.size()), false).ok);
  FlushFat(&volume);
  return image;
}

uint8_t IdentifierCheck(const std::vector<uint8_t>& image) {
  uint8_t x = 0;
  for (int i = 64; i < 95; ++i) x ^= image[i];
  return x;
}

// Spectrum files of type 3 named as the naming scheme lists them.
std::string Coded(const std::string& name) { return name + ".3  0000 0000 0000 0000 FF 00"; }

std::string EntryName(const std::vector<uint8_t>& image, uint32_t sector, uint32_t slot) {
  std::string name(reinterpret_cast<const char*>(image.data() + sector * 1024 + slot * 32 + 6), 10);
  return name.substr(0, name.find_last_not_of(' ') + 1);
}

}  // namespace

TEST(DiskFormats, EveryRowMakesItsSizeWithItsUnusableSectorsAndChecksum) {
  struct Row {
    const char* label;
    uint16_t tracks, sectorsPerTrack;
    uint32_t imageSectors, usable;
    uint8_t checksum;
  } rows[kDiskFormatCount] = {
      {"82*11*2", 82, 11, 1804, 1804, 0x47},          {"82*11*2 (2.0Mb)", 82, 11, 2048, 1804, 0x47},
      {"127*8*2", 127, 8, 2032, 2032, 0x0F},          {"127*8*2 (2.0Mb)", 127, 8, 2048, 2032, 0x0F},
      {"146*7*2", 146, 7, 2044, 2044, 0x27},          {"146*7*2 (2.0Mb)", 146, 7, 2048, 2044, 0x27},
      {"93*11*2", 93, 11, 2046, 2046, 0x2B},          {"93*11*2 (2.0Mb)", 93, 11, 2048, 2046, 0x2B},
      {"128*8*2", 128, 8, 2047, 2047, 0x2D},          {"128*8*2 (2.0Mb)", 128, 8, 2048, 2047, 0x2D},
  };
  for (uint32_t i = 0; i < kDiskFormatCount; ++i) {
    const Row& r = rows[i];
    SCOPED_TRACE(r.label);
    const DiskFormat& row = kDiskFormats[i];
    EXPECT_STREQ(row.label, r.label);
    EXPECT_EQ(row.imageSectors, r.imageSectors);
    EXPECT_EQ(row.usableSectors, r.usable);
    std::vector<uint8_t> image = NewImage(row, TemplateBootSector());
    EXPECT_EQ(ReadU16(image.data() + 4), r.tracks);
    EXPECT_EQ(ReadU16(image.data() + 6), r.sectorsPerTrack);
    EXPECT_EQ(image[2048], 1);
    EXPECT_EQ(image[2049], r.checksum);
    EXPECT_EQ(memcmp(image.data() + 2048, image.data() + 6144, 4096), 0);
    EXPECT_EQ(oxtest::FatOf(image, r.usable - 1), 0);
    for (uint32_t s = r.usable; s < 2048; ++s) ASSERT_EQ(oxtest::FatOf(image, s), 0xFFFF) << s;
    EXPECT_TRUE(std::all_of(image.begin() + r.usable * 1024, image.end(), [](uint8_t b) { return b == 0xFF; }));
    EXPECT_TRUE(std::all_of(image.begin() + 10 * 1024, image.begin() + r.usable * 1024, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(image[95], IdentifierCheck(image));
  }
  EXPECT_EQ(&DiskFormatAt(10), &kDiskFormats[0]);
  EXPECT_EQ(&DiskFormatAt(-1), &kDiskFormats[0]);
}

TEST(DiskFormats, TheBootSectorIsTheTemplateOrAConfigurationsWithTheGeometryWrittenOver) {
  const uint8_t kFields[32] = {0x18, 0x7E, 0x80, 0x02, 0x52, 0x00, 0x0B, 0x00, 0x02, 0x00, 0x01, 0x00, 0x0A, 0x00, 0x04, 0x00,
                               0x00, 0x10, 0x02, 0x00, 0x06, 0x00, 0x00, 0xFF, 0x1E, 0x00, 0x03, 0x07, 0x04, 0x08, 0x05, 0x09};
  std::vector<uint8_t> image = NewImage(kDiskFormats[0], TemplateBootSector());
  EXPECT_EQ(memcmp(image.data(), kFields, 32), 0);
  EXPECT_EQ(memcmp(image.data() + 32, kBootTemplate + 32, 32), 0);  // "DiskName"
  EXPECT_TRUE(std::all_of(image.begin() + 96, image.begin() + 2048, [](uint8_t b) { return b == 0; }));

  std::vector<uint8_t> own(1024, 0xAA);
  image = NewImage(kDiskFormats[0], own);
  EXPECT_EQ(memcmp(image.data() + 4, kFields + 4, 6), 0);
  EXPECT_EQ(memcmp(image.data() + 12, kFields + 12, 11), 0);
  EXPECT_EQ(image[10], 0xAA);  // bytes the geometry does not name
  EXPECT_EQ(image[23], 0xAA);
  EXPECT_EQ(memcmp(image.data() + 26, kFields + 26, 6), 0);
  EXPECT_EQ(image[2], 0xAA);
  EXPECT_EQ(image[96], 0xAA);
  EXPECT_EQ(image[1023], 0xAA);
  EXPECT_EQ(image[95], IdentifierCheck(image));
}

class NewImageDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"CFG1", "CFG2"}) fs::create_directories(dir_ / ("boots/" + std::string(d)));
    fs::create_directories(dir_ / ("boots/" + std::string(94, 'x')));
    fs::create_directories(dir_ / ("boots/" + std::string(95, 'y')));
    oxtest::MakeFile(dir_ / "boots/file", {1});
  }
  // The dialog enters the boots directory and leaves it so.
  FakeControls Open() {
    FakeControls c;
    dialog_.OnInit(c);
    return c;
  }

  oxtest::TempDir dir_;
  oxtest::KeepCurrentDir cwd_;
  std::string boots_ = oxtest::HostForm(dir_ / "boots") + "\\";
  DiskSettings live_ = DefaultDiskSettings();
  NewImageDialog dialog_{live_, boots_.c_str()};
};

TEST_F(NewImageDialogTest, ListsFormatsAndBootConfigurationsWithTheLastChoiceSelected) {
  live_.NewImageFormat = 7;
  strcpy(live_.BootConfig, "CFG2");
  FakeControls c = Open();
  const auto& formats = c.controls[kFormatList];
  ASSERT_EQ(formats.items.size(), 10u);
  for (uint32_t i = 0; i < 10; ++i) EXPECT_EQ(formats.items[i], kDiskFormats[i].label);
  EXPECT_EQ(formats.selection, 7);
  Names boot = c.controls[kBootList].items;
  ASSERT_FALSE(boot.empty());
  EXPECT_EQ(boot[0], "Not bootable");
  std::sort(boot.begin() + 1, boot.end());
  EXPECT_EQ(boot, (Names{"Not bootable", "CFG1", "CFG2", std::string(94, 'x')}));
  EXPECT_EQ(c.controls[kBootList].items[c.controls[kBootList].selection], "CFG2");

  c.Select(dialog_, kFormatList, 3);
  c.Click(dialog_, kCreateEmptyButton);
  EXPECT_TRUE(c.ended);
  EXPECT_EQ(c.result, kCreateEmptyButton);
  EXPECT_EQ(live_.NewImageFormat, 3);
  EXPECT_STREQ(live_.BootConfig, "CFG2");
}

TEST_F(NewImageDialogTest, WithoutAStoredConfigurationOrBootsDirectoryNotBootableIsChosen) {
  strcpy(live_.BootConfig, "GONE");
  FakeControls c = Open();
  EXPECT_EQ(c.controls[kBootList].selection, 0);
  c.Click(dialog_, kCreateButton);
  EXPECT_EQ(c.result, kCreateButton);
  EXPECT_STREQ(live_.BootConfig, "Not bootable");

  fs::current_path(dir_.path());  // the dialog entered the boots directory
  fs::remove_all(dir_ / "boots");
  c = Open();
  EXPECT_EQ(c.controls[kBootList].items, Names{"Not bootable"});
  EXPECT_EQ(c.controls[kBootList].selection, 0);

  DiskSettings kept = live_;
  c.Select(dialog_, kFormatList, 9);
  c.Click(dialog_, kCancelButton);
  EXPECT_EQ(c.result, kCancelButton);
  EXPECT_EQ(memcmp(&live_, &kept, sizeof kept), 0);
}

// The loader first, then the system, then the rest, whatever order the directory lists them in.
TEST(DiskBootFiles, GoInThreePassesIntoDirectoryZero) {
  oxtest::TempDir dir;
  oxtest::KeepCurrentDir cwd;
  std::string config = dir / "CFG";
  const Names files = {Coded("A"), "masterboot.3", Coded("BSdos308"), "bootsector", Coded("masterboot"), Coded("Z")};
  for (const std::string& f : files) oxtest::MakeFile(config + "/" + f, oxtest::Pattern(100, 1));
  fs::create_directories(config + "/" + Coded("masterboot") + "x");  // directories are passed over
  std::vector<uint8_t> image = NewImage(kDiskFormats[0], TemplateBootSector());
  DiskVolume volume{};
  ASSERT_TRUE(OpenVolume(&volume, image.data(), static_cast<uint32_t>(image.size()), false).ok);
  fs::current_path(config);
  DiskSettings settings = DefaultDiskSettings();
  const char base[] = "boot.mbd";
  ASSERT_TRUE(AddBootFiles(&volume, base, strlen(base), settings).ok);

  EXPECT_EQ(EntryName(image, 11, 0), "boot.mbd");
  EXPECT_EQ(EntryName(image, 11, 1), "masterboot");
  EXPECT_EQ(EntryName(image, 11, 2), "BSdos308");
  Names rest = {EntryName(image, 11, 3), EntryName(image, 11, 4), EntryName(image, 11, 5)};
  std::sort(rest.begin(), rest.end());
  EXPECT_EQ(rest, (Names{"A", "Z", "masterboot"}));  // the bare name has no header: it is not the loader
  EXPECT_EQ(image[11 * 1024 + 6 * 32], 0);
  EXPECT_EQ(ReadU16(image.data() + 11 * 1024 + 32 + 30), 128);
}

#ifndef _WIN32
// Without windows, the new-image dialog answers as scripted, or as if "&Create" were
// pressed with what it selected first, so the settings decide.
class DiskNewImage : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(src_);
    oxtest::MakeFile(src_ + "/" + Coded("game"), oxtest::Pattern(2000, 3));
    std::vector<uint8_t> bootSector(1024, 0x5A);
    oxtest::MakeFile(dir_ / "boots/CFG/bootsector", bootSector);
    oxtest::MakeFile(dir_ / ("boots/CFG/" + Coded("masterboot")), oxtest::Pattern(300, 1));
    oxtest::MakeFile(dir_ / ("boots/CFG/" + Coded("BSdos308")), oxtest::Pattern(1300, 2));
    module_.settings.NewImageFormat = 1;
  }
  void TearDown() override { unsetenv("OXWEN_DIALOG_SCRIPT"); }
  DiskNewImage() { unsetenv("OXWEN_DIALOG_SCRIPT"); }
  Outcome Make(const char* script, const char* bootConfig) {
    if (script) setenv("OXWEN_DIALOG_SCRIPT", script, 1);
    strcpy(module_.settings.BootConfig, bootConfig);
    return oxtest::Pack(module_, image_, src_, {Coded("game")});
  }
  Names Listed() { return oxtest::ListNames(image_, kTree); }

  oxtest::TempDir dir_;
  oxtest::KeepCurrentDir cwd_;
  std::string image_ = dir_ / "new.mbd";
  std::string src_ = dir_ / "src";
  disk::DiskModule module_ = oxtest::ModuleIn(dir_, kTree);
};

TEST_F(DiskNewImage, ABootableImageHoldsTheBootFilesThenTheHostsFiles) {
  ASSERT_EQ(Make(nullptr, "CFG"), (Outcome{0, ""}));
  std::vector<uint8_t> image = oxtest::ReadWholeFile(image_);
  ASSERT_EQ(image.size(), 2048u * 1024);  // row 1
  EXPECT_EQ(image[2], 0x5A);                // from the configuration's boot sector
  EXPECT_EQ(ReadU16(image.data() + 4), 82);
  EXPECT_EQ(image[95], IdentifierCheck(image));
  EXPECT_EQ(oxtest::FatOf(image, 11), 0x8400);
  EXPECT_EQ(Listed(), (Names{Coded("masterboot"), Coded("BSdos308"), Coded("game")}));
  EXPECT_EQ(image[1804 * 1024], 0xFF);
  // The choice was saved before the image was made.
  EXPECT_TRUE(fs::exists(dir_ / "Oxwen.cfg"));
}

TEST_F(DiskNewImage, ButtonsAndChoicesOfTheDialog) {
  struct Case {
    const char* script;
    const char* bootConfig;
    Outcome outcome;
    size_t size;  // 0: the file is gone
    Names listed;
  } cases[] = {
      {"104:click=1006", "CFG", {0, ""}, 2048 * 1024, {Coded("masterboot"), Coded("BSdos308")}},
      {"104:click=1006", "Not bootable", {0, ""}, 2048 * 1024, {}},
      {"104:select=1003=8,select=1004=0,click=1005", "CFG", {0, ""}, 2047 * 1024, {Coded("game")}},
      {"104:click=2", "CFG", {21, ""}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    fs::remove(image_);
    EXPECT_EQ(Make(c.script, c.bootConfig), c.outcome);
    EXPECT_EQ(fs::exists(image_) ? fs::file_size(image_) : 0, c.size);
    if (c.size) {
      EXPECT_EQ(Listed(), c.listed);
    }
  }
  EXPECT_EQ(module_.settings.NewImageFormat, 8);  // the last chosen; Cancel saved nothing
}

TEST_F(DiskNewImage, AMissingBootsDirectoryLeavesAnEmptyFile) {
  fs::current_path(dir_.path());
  fs::remove_all(dir_ / "boots");
  // Only a configuration with an empty name is still bootable when the list is bare.
  EXPECT_EQ(Make("104:select=1004=-1,click=1005", "CFG"), (Outcome{1, "Boots directory not found\n"}));
  EXPECT_EQ(fs::file_size(image_), 0u);
  EXPECT_TRUE(fs::exists(dir_ / "Oxwen.cfg"));
}

// With nothing chosen in the boot list the configuration's name is empty, and no
// directory of that name can be entered.
TEST_F(DiskNewImage, AConfigurationThatCannotBeEnteredGivesNoBootFiles) {
  oxtest::MakeFile(dir_ / "boots/bootsector", std::vector<uint8_t>(100, 0x77));
  ASSERT_EQ(Make("104:select=1004=-1,click=1005", "CFG"), (Outcome{0, ""}));
  std::vector<uint8_t> image = oxtest::ReadWholeFile(image_);
  EXPECT_EQ(image[2], 0x77);    // the boots directory's own "bootsector", as far as it goes
  EXPECT_EQ(image[100], 0x00);  // then the template
  EXPECT_EQ(Listed(), Names{Coded("game")});
}
#endif
