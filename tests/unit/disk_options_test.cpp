#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/naming_dialog.h"
#include "common/settings.h"
#include "disk/options_dialog.h"
#include "fake_controls.h"
#include "image_builder.h"
#include "platform/profile.h"
#include "temp_dir.h"

using namespace ox;
using oxtest::FakeControls;

namespace {

constexpr const char* kHint =
    "It is recommended to restart all instances of Total Commander to fully apply new Vorkel and Nalmet settings!";

struct DialogFixture {
  DialogFixture() : dialog(live, config.c_str()) { dialog.OnInit(c); }
  oxtest::TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  DiskSettings live = DefaultDiskSettings();
  disk::OptionsDialog dialog;
  FakeControls c;
};

}  // namespace

TEST(DiskOptions, InitialStateFromDefaults) {
  DialogFixture f;
  EXPECT_EQ(f.c.controls[101].text, "\nVorkel 0.50 (30-Jun-2010)");
  EXPECT_EQ(f.c.controls[1004].text, f.config);
  EXPECT_FALSE(f.c.controls[1001].checked);
  EXPECT_TRUE(f.c.controls[1002].checked);
  EXPECT_TRUE(f.c.controls[1013].checked);
  EXPECT_FALSE(f.c.controls[1008].checked);
  EXPECT_FALSE(f.c.controls[1012].checked);
  for (int id = 1015; id <= 1020; ++id) {
    EXPECT_EQ(f.c.controls[id].text, " ");
    EXPECT_EQ(f.c.controls[id].limit, 19u);
  }
  EXPECT_EQ(f.c.controls[1011].text, "");
}

TEST(DiskOptions, InitialStateFromLoadedSettings) {
  oxtest::TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  DiskSettings stored = DefaultDiskSettings();
  stored.DirStructViewMode = 1;
  stored.Naming.ParamsInDecimal = 1;
  stored.Naming.VariableGap = 1;
  strcpy(stored.Naming.FieldPrefix[3], "at");
  SaveSettings(config.c_str(), &stored);
  DiskSettings live = DefaultDiskSettings();
  LoadSettings(config.c_str(), &live);
  disk::OptionsDialog dialog(live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  EXPECT_TRUE(c.controls[1001].checked);
  EXPECT_FALSE(c.controls[1002].checked);
  EXPECT_FALSE(c.controls[1013].checked);
  EXPECT_TRUE(c.controls[1008].checked);
  EXPECT_TRUE(c.controls[1012].checked);
  EXPECT_EQ(c.controls[1018].text, "at");
}

TEST(DiskOptions, HintFollowsDifferencesFromTheLiveSettings) {
  DialogFixture f;
  f.c.Click(f.dialog, 1001);  // the radio button is checked by the click
  EXPECT_TRUE(f.c.controls[1001].checked);
  EXPECT_FALSE(f.c.controls[1002].checked);
  EXPECT_FALSE(f.c.controls[1013].checked);
  EXPECT_EQ(f.c.controls[1011].text, kHint);
  f.c.Click(f.dialog, 1002);
  EXPECT_TRUE(f.c.controls[1013].checked);
  EXPECT_EQ(f.c.controls[1011].text, "");

  f.c.Type(f.dialog, 1017, " x");
  EXPECT_EQ(f.c.controls[1011].text, kHint);
  f.c.Type(f.dialog, 1017, " ");
  EXPECT_EQ(f.c.controls[1011].text, "");
  f.c.Toggle(f.dialog, 1012);
  EXPECT_EQ(f.c.controls[1011].text, kHint);
  f.c.Toggle(f.dialog, 1012);
  EXPECT_EQ(f.c.controls[1011].text, "");
}

TEST(DiskOptions, CancelChangesNothing) {
  DialogFixture f;
  f.c.Click(f.dialog, 1001);
  f.c.Toggle(f.dialog, 1008);
  f.c.Click(f.dialog, 2);
  EXPECT_TRUE(f.c.ended);
  EXPECT_EQ(f.c.result, 2);
  EXPECT_EQ(f.live.DirStructViewMode, 2);
  EXPECT_EQ(f.live.Naming.ParamsInDecimal, 0);
  EXPECT_FALSE(std::filesystem::exists(f.config));
}

TEST(DiskOptions, SaveAndApplyWritesAllFourKeys) {
  DialogFixture f;
  f.c.Click(f.dialog, 102);  // even without changes
  EXPECT_EQ(f.c.result, 102);
  char text[64];
  EXPECT_EQ(plat::ProfileReadString("vorkel", "DirStructViewMode", "", text, sizeof text, f.config.c_str()), 1u);
  EXPECT_STREQ(text, "2");
  EXPECT_GT(plat::ProfileReadString("vorkel", "NewImageFormat", "", text, sizeof text, f.config.c_str()), 0u);
  NamingMode mode;
  EXPECT_TRUE(plat::ProfileReadStruct("vorkel", "FileNamingMode", &mode, sizeof mode, f.config.c_str()));
  EXPECT_EQ(mode.Version, 3);
  char boot[100];
  EXPECT_TRUE(plat::ProfileReadStruct("vorkel", "BootConfig", boot, sizeof boot, f.config.c_str()));

  DialogFixture g;
  g.c.Click(g.dialog, 1001);
  g.c.Toggle(g.dialog, 1008);
  g.c.Type(g.dialog, 1020, "01234567890123456789xyz");  // the box takes 19 characters
  g.c.Click(g.dialog, 102);
  EXPECT_EQ(g.live.DirStructViewMode, 1);
  EXPECT_EQ(g.live.Naming.ParamsInDecimal, 1);
  EXPECT_STREQ(g.live.Naming.FieldPrefix[5], "0123456789012345678");
  DiskSettings reloaded = DefaultDiskSettings();
  LoadSettings(g.config.c_str(), &reloaded);
  EXPECT_EQ(reloaded.DirStructViewMode, 1);
  EXPECT_FALSE(NamingModesDiffer(reloaded.Naming, g.live.Naming));
}
