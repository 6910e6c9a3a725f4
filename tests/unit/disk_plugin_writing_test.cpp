// PackFiles and DeleteFiles as a host calls them: through the built plugin, with the
// names, sub-paths and folders in this platform's hosts' conventions.
#include <gtest/gtest.h>

#include <filesystem>

#include "disk_write.h"
#include "image_builder.h"
#include "listing.h"
#include "plugins.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';  // Linux hosts separate with "/" and end folders with it
#endif

std::string Hosted(const std::string& text) {
  std::string t = text;
  for (char& c : t)
    if (c == '/' || c == '\\') c = kSep;
  return t;
}

std::vector<char> Buffer(const std::string& text) {
  std::vector<char> b(text.begin(), text.end());
  b.push_back(0);
  return b;
}

std::vector<std::string> Names(const oxtest::Listing& listing) {
  std::vector<std::string> names;
  for (const oxtest::Listed& e : listing.entries) names.push_back(e.name + (e.directory ? "\\" : ""));
  return names;
}

const char kFields[] = ".3  0003 0000 0000 0000 FF 00";

}  // namespace

TEST(DiskPluginWriting, AddsAndDeletesInTheHostsConventions) {
  const oxhost::Plugin& plugin = oxtest::BuiltPlugin("Vorkel");
  ASSERT_NE(plugin.packFiles, nullptr);
  ASSERT_NE(plugin.deleteFiles, nullptr);
  oxtest::TempDir dir;
  oxtest::KeepCurrentDir cwd;
  std::string image = dir / "disk.mbd";
  oxtest::ImageBuilder b;
  b.AddDirectory(0, 0, "ROOT");
  oxtest::WriteWholeFile(image, b.Build());
  oxtest::MakeFile(dir / "src/A/f", {1, 2, 3});
  oxtest::MakeFile(dir / "src/g", {4, 5, 6});

  std::vector<char> packed = Buffer(image), src = Buffer(Hosted(dir / "src") + kSep);
  std::vector<char> list = oxtest::NameList({Hosted("A/"), Hosted("A/f")});
  ASSERT_EQ(plugin.packFiles(packed.data(), nullptr, src.data(), list.data(), 2), 0);
  std::vector<char> sub = Buffer("A"), one = oxtest::NameList({"g"});
  ASSERT_EQ(plugin.packFiles(packed.data(), sub.data(), src.data(), one.data(), 0), 0);
  EXPECT_EQ(Names(oxtest::ListArchive(plugin, image)),
            (std::vector<std::string>{"A\\", "A\\f" + std::string(kFields), "A\\g" + std::string(kFields)}));

  std::vector<char> gone = oxtest::NameList({Hosted("A/*.*")});
  ASSERT_EQ(plugin.deleteFiles(packed.data(), gone.data()), 0);
  EXPECT_TRUE(oxtest::ListArchive(plugin, image).entries.empty());
}

#ifndef _WIN32
// A new image through the plugin: its dialog answers with the settings (none are stored
// here: row 0, not bootable) and saves them beside the plugin.
TEST(DiskPluginWriting, MakesANewImageWhereNoFileIs) {
  oxtest::TempDir dir;
  oxtest::KeepCurrentDir cwd;
  std::string copy = dir / (std::string("Vorkel") + OX_PLUGIN_SUFFIX);
  fs::copy_file(oxtest::BuiltPluginPath("Vorkel"), copy);
  oxhost::Plugin plugin;
  ASSERT_EQ(plugin.Load(copy), "");
  std::string image = dir / "new.mbd";
  std::vector<char> packed = Buffer(image), src = Buffer(dir.path() + "/");
  char empty[2] = {0, 0};
  EXPECT_EQ(plugin.packFiles(packed.data(), nullptr, src.data(), empty, 0), 0);
  EXPECT_EQ(fs::file_size(image), 1804u * 1024);
  EXPECT_TRUE(fs::exists(dir / "Oxwen.cfg"));
  oxtest::Listing listing = oxtest::ListArchive(plugin, image);
  EXPECT_EQ(listing.openResult, 0);
  EXPECT_TRUE(listing.entries.empty());
}
#endif
