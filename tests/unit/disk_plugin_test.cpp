#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "image_builder.h"
#include "platform/module.h"
#include "listing.h"
#include "plugins.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

// A copy of the built plugin at a path of exactly `length` characters.
std::string PluginCopy(const oxtest::TempDir& dir, size_t length) {
  std::string folder = dir.path();
  const char sep = fs::path::preferred_separator;
  const std::string file = std::string("Vorkel") + OX_PLUGIN_SUFFIX;
  while (folder.size() + 1 + file.size() < length) {
    size_t room = length - folder.size() - 1 - file.size();
    // Never leave room for a separator alone, which would make an empty component.
    size_t take = room > 101 ? (room == 102 ? 99 : 100) : room - 1;
    folder += sep + std::string(take, 'p');
    fs::create_directory(folder);
  }
  std::string path = folder + sep + file;
  fs::copy_file(oxtest::BuiltPluginPath("Vorkel"), path);
  return path;
}

}  // namespace

TEST(DiskPlugin, ReportsItsCapabilities) {
  EXPECT_EQ(oxtest::BuiltPlugin("Vorkel").getPackerCaps(), 159);
}

TEST(DiskPlugin, RefusesModulePathsOver245Characters) {
  oxtest::TempDir dir;
  std::string accepted = PluginCopy(dir, 245), refused = PluginCopy(dir, 246);
  ASSERT_EQ(accepted.size(), 245u);
  ASSERT_EQ(refused.size(), 246u);
  oxhost::Plugin ok;
  EXPECT_EQ(ok.Load(accepted), "");
  oxhost::Plugin bad;
  testing::internal::CaptureStderr();
  std::string error = bad.Load(refused);
  std::string box = testing::internal::GetCapturedStderr();
#ifdef _WIN32
  EXPECT_NE(error, "");  // Windows does not load it
#else
  // The module stays loaded here, but every export fails safely.
  EXPECT_EQ(box, "Vorkel: Path of plugin dll is too long\n");
  ASSERT_EQ(error, "");
  std::string image = dir / "a.mbd";
  oxtest::WriteWholeFile(image, oxtest::ImageBuilder().Build());
  oxtest::Listing listing = oxtest::ListArchive(bad, image);
  EXPECT_NE(listing.openResult, 0);
  EXPECT_TRUE(listing.entries.empty());
  EXPECT_EQ(oxtest::ListArchive(ok, image).openResult, 0);
#endif
}

#ifndef _WIN32
// Without windows, the options dialog answers as scripted, or with Cancel.
TEST(DiskPlugin, OptionsDialogChangesTheViewOfLaterOpens) {
  oxtest::TempDir dir;
  oxhost::Plugin plugin;
  std::string path = PluginCopy(dir, dir.path().size() + 20);
  ASSERT_EQ(plugin.Load(path), "");
  auto configure = reinterpret_cast<ox::host::ConfigurePackerFn>(plat::GetExport(plugin.module, "ConfigurePacker"));
  ASSERT_NE(configure, nullptr);
  std::string config = fs::path(path).parent_path() / "Oxwen.cfg";
  std::string image = dir / "a.mbd";
  oxtest::ImageBuilder b;
  b.AddDirectory(0, 0, "ZERO");
  oxtest::WriteWholeFile(image, b.Build());
  EXPECT_EQ(oxtest::ListArchive(plugin, image).entries.size(), 0u);  // Tree view: directory 0 entered

  unsetenv("OXWEN_DIALOG_SCRIPT");
  configure(nullptr, nullptr);
  EXPECT_FALSE(fs::exists(config));

  setenv("OXWEN_DIALOG_SCRIPT", "102:click=1001,click=102", 1);
  configure(nullptr, nullptr);
  unsetenv("OXWEN_DIALOG_SCRIPT");
  EXPECT_TRUE(fs::exists(config));
  EXPECT_EQ(oxtest::ListArchive(plugin, image).entries.size(), 256u);  // now the Simple view
}
#endif
