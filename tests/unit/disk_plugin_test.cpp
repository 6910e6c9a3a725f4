#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "image_builder.h"
#include "listing.h"
#include "platform/module.h"
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

#ifdef _WIN32
#include <windows.h>

#include <thread>

#include "dialog_template.h"

TEST(DiskPlugin, OptionsDialogResourceIsLaidOutAsDesigned) {
  oxtest::DialogTemplate t;
  ASSERT_TRUE(oxtest::ReadDialogTemplate(oxtest::BuiltPlugin("Vorkel").module, 102, &t));
  EXPECT_EQ(t.caption, "Vorkel options");
  EXPECT_EQ(t.cx, 352);
  EXPECT_EQ(t.cy, 249);
  EXPECT_EQ(t.points, 8);
  EXPECT_EQ(t.font, "MS Shell Dlg");
  const uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTERMOUSE;
  EXPECT_EQ(t.style & frame, frame);
  const std::string button = "#128", edit = "#129", label = "#130";
  const uint32_t tab = WS_TABSTOP;
  const oxtest::DialogControl expected[] = {
      {102, button, "Save && Apply", 108, 221, 60, 14, tab},
      {2, button, "Cancel", 197, 221, 50, 14, tab},
      {-1, button, "", 7, 2, 338, 67, BS_GROUPBOX},
      {101, label, "about", 14, 10, 323, 55, SS_CENTER | SS_SUNKEN},
      {-1, button, "Directory structure view", 14, 73, 324, 31, BS_GROUPBOX},
      {1001, button, "Simple", 25, 86, 38, 10, BS_AUTORADIOBUTTON | WS_GROUP},
      {1002, button, "Tree", 82, 86, 31, 10, BS_AUTORADIOBUTTON},
      {-1, button, "File naming", 14, 108, 324, 63, BS_GROUPBOX},
      {1008, button, "Parameters in decimal", 25, 122, 89, 10, BS_AUTOCHECKBOX | tab},
      {1012, button, "Variable gap size", 25, 139, 72, 10, BS_AUTOCHECKBOX | tab},
      {1004, edit, "", 99, 179, 237, 14, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | tab},
      {-1, label, "Config file path:", 16, 181, 82, 8, 0},
      {1011, label, "", 14, 199, 324, 18, SS_CENTER},
      {-1, button, "", 7, 2, 338, 240, BS_GROUPBOX},
      {1015, edit, "", 181, 118, 40, 14, ES_AUTOHSCROLL | WS_BORDER | tab},
      {1016, edit, "", 181, 135, 40, 14, WS_BORDER | tab},
      {1017, edit, "", 181, 151, 40, 14, WS_BORDER | tab},
      {1018, edit, "", 291, 119, 40, 14, WS_BORDER | tab},
      {1019, edit, "", 291, 135, 40, 14, WS_BORDER | tab},
      {1020, edit, "", 291, 151, 40, 14, WS_BORDER | tab},
      {-1, label, "LENGTH", 138, 121, 35, 8, 0},
      {-1, label, "PARAM1", 138, 136, 35, 8, 0},
      {-1, label, "PARAM2", 138, 151, 35, 8, 0},
      {-1, label, "Body Addr", 241, 121, 43, 8, 0},
      {-1, label, "Body Flags", 241, 137, 43, 8, 0},
      {-1, label, "Attributes", 241, 152, 43, 8, 0},
      {1013, button, "Automatically enter dir 0", 128, 86, 97, 10, BS_AUTOCHECKBOX | WS_DISABLED | tab},
  };
  oxtest::ExpectControls(t.controls, expected, std::size(expected));
}

// The real dialog, driven as a user would: a second thread finds the window, reads its
// controls and clicks, while ConfigurePacker runs modally.
TEST(DiskPlugin, OptionsDialogRunsFromItsResource) {
  oxtest::TempDir dir;
  oxhost::Plugin plugin;
  std::string path = PluginCopy(dir, dir.path().size() + 20);
  ASSERT_EQ(plugin.Load(path), "");
  auto configure = reinterpret_cast<ox::host::ConfigurePackerFn>(plat::GetExport(plugin.module, "ConfigurePacker"));
  std::string config = (fs::path(path).parent_path() / "Oxwen.cfg").string();
  std::string image = dir / "a.mbd";
  oxtest::ImageBuilder b;
  b.AddDirectory(0, 0, "ZERO");
  oxtest::WriteWholeFile(image, b.Build());
  struct Seen {
    bool found = false;
    std::string about, path, prefix, hintBefore, hintSimple, hintTree;
    bool tree = false, enterDir0 = false, enterAfterSimple = true;
  } seen;
  auto read = [](HWND dialog, int id) {
    char text[512];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text);
  };
  std::thread user([&] {
    auto dialog = static_cast<HWND>(oxtest::WaitForDialog("Vorkel options"));
    if (!dialog) return;
    seen.found = true;
    seen.about = read(dialog, 101);
    seen.path = read(dialog, 1004);
    seen.prefix = read(dialog, 1015);
    seen.hintBefore = read(dialog, 1011);
    seen.tree = IsDlgButtonChecked(dialog, 1002) == BST_CHECKED;
    seen.enterDir0 = IsDlgButtonChecked(dialog, 1013) == BST_CHECKED;
    SendMessageA(GetDlgItem(dialog, 1001), BM_CLICK, 0, 0);
    seen.hintSimple = read(dialog, 1011);
    seen.enterAfterSimple = IsDlgButtonChecked(dialog, 1013) == BST_CHECKED;
    SendMessageA(GetDlgItem(dialog, 1002), BM_CLICK, 0, 0);
    seen.hintTree = read(dialog, 1011);
    SendMessageA(GetDlgItem(dialog, 1001), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(dialog, 102), BM_CLICK, 0, 0);
  });
  configure(nullptr, nullptr);
  user.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.about, "\nVorkel 0.50 (30-Jun-2010)");
  EXPECT_EQ(seen.path, config);
  EXPECT_EQ(seen.prefix, " ");
  EXPECT_EQ(seen.hintBefore, "");
  EXPECT_TRUE(seen.tree);
  EXPECT_TRUE(seen.enterDir0);
  EXPECT_FALSE(seen.enterAfterSimple);
  EXPECT_NE(seen.hintSimple, "");
  EXPECT_EQ(seen.hintTree, "");
  EXPECT_TRUE(fs::exists(config));
  EXPECT_EQ(oxtest::ListArchive(plugin, image).entries.size(), 256u);  // the Simple view now
}
#endif
