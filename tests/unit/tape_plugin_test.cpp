// Nalmet as a host sees it: the built plugin loaded by path, its exports bound by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>

#include "common/host_api.h"
#include "image_builder.h"
#include "platform/module.h"
#include "plugin.h"
#include "tape_builder.h"
#include "tape_support.h"
#include "temp_dir.h"

using namespace oxtest;
using namespace ox::host;
namespace fs = std::filesystem;

namespace {

const char kPluginFile[] = "Nalmet" OX_PLUGIN_SUFFIX;
#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif


std::string BuiltPlugin() { return HostPath(std::string(OX_BINARY_DIR) + "/" + kPluginFile); }

// A copy of the built plugin in a folder of its own (with its own configuration file), loaded.
struct LoadedPlugin : oxhost::Plugin {
  explicit LoadedPlugin(const std::string& path) : path(path) {
    fs::create_directories(fs::path(path).parent_path());
    fs::copy_file(BuiltPlugin(), path, fs::copy_options::overwrite_existing);
    Load(path);
  }
  ~LoadedPlugin() { plat::UnloadModule(module); }
  bool complete() const {
    return module && openArchive && readHeader && processFile && closeArchive && packFiles && deleteFiles &&
           getPackerCaps && configurePacker && setChangeVolProc && setProcessDataProc;
  }

  struct Listed {
    std::string name;
    HeaderRecord record;
  };
  // Lists as a host does; every entry is tested, or extracted into `folder` when given.
  int List(const std::string& archive, std::vector<Listed>* out, std::vector<int>* results,
           const std::string& folder = "") {
    std::vector<char> name(archive.begin(), archive.end());
    name.push_back(0);
    OpenArchiveRecord open = {};
    open.archiveName = name.data();
    void* handle = openArchive(&open);
    if (!handle) return open.openResult;
    HeaderRecord h;
    while (memset(&h, 0, sizeof h), readHeader(handle, &h) == 0) {
      out->push_back({h.fileName, h});
      std::string target = folder + kSep + h.fileName;
      std::vector<char> dest(target.begin(), target.end());
      dest.push_back(0);
      results->push_back(folder.empty() ? processFile(handle, kTest, nullptr, nullptr)
                                        : processFile(handle, kExtract, nullptr, dest.data()));
    }
    EXPECT_EQ(closeArchive(handle), 0);
    return 0;
  }
  std::vector<std::string> Names(const std::string& archive) {
    std::vector<Listed> listed;
    std::vector<int> results;
    EXPECT_EQ(List(archive, &listed, &results), 0);
    std::vector<std::string> names;
    for (const auto& l : listed) names.push_back(l.name);
    return names;
  }

  std::string path;
};

std::string List(std::initializer_list<std::string> names) {
  std::string list;
  for (const auto& n : names) list += n + '\0';
  return list + '\0';
}

class TapePlugin : public testing::Test {
 protected:
  TapePlugin() : plugin_(dir_ / "plugin" + kSep + kPluginFile) {}
  void SetUp() override { ASSERT_TRUE(plugin_.complete()) << "cannot load " << plugin_.path; }

  CurrentDirGuard cwd_;
  TempDir dir_;
  LoadedPlugin plugin_;
};

const std::string kScreen = "screen.3  1B00 4000 8000 0000 FF 01";

}  // namespace

TEST_F(TapePlugin, Capabilities) {
  EXPECT_EQ(plugin_.getPackerCaps(), 159);
  // Linux hosts set the callbacks with the handle -1 before packing and deleting.
  plugin_.setChangeVolProc(reinterpret_cast<void*>(intptr_t{-1}), nullptr);
  plugin_.setProcessDataProc(reinterpret_cast<void*>(intptr_t{-1}), nullptr);
}

TEST_F(TapePlugin, ListExtractAppendDeleteAndNew) {
  std::string tape = dir_ / "t.tap";
  std::vector<uint8_t> screen = Pattern(6912), code = Pattern(300, 2);
  WriteWholeFile(tape, TapeBuilder()
                           .File(3, "screen", screen, 16384, 32768)
                           .Data(code)
                           .Header(0, "nodata", 0)
                           .File(3, "tail", {1})
                           .bytes());
  const std::string kTail = "tail.3  0001 0000 0000 0000 FF 01";

  // List and extract.
  std::string out = dir_ / "out";
  fs::create_directories(out);
  std::vector<LoadedPlugin::Listed> listed;
  std::vector<int> results;
  time_t now = time(nullptr);
  ASSERT_EQ(plugin_.List(tape, &listed, &results, out), 0);
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(results, (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(listed[0].name, kScreen);
  EXPECT_EQ(listed[1].name, "headerless1");
  EXPECT_EQ(listed[2].name, "nodata.0  0000 0000 0000 0000 FF 01");
  EXPECT_STREQ(listed[0].record.archiveName, tape.c_str());
  EXPECT_EQ(listed[0].record.packedSize, 6912);
  EXPECT_EQ(listed[0].record.unpackedSize, 6912);
  EXPECT_EQ(listed[1].record.packedSize, 300);
#ifdef _WIN32
  // Windows hosts get exactly the prepared record: no attributes, a DOS local time.
  EXPECT_EQ(listed[0].record.fileAttributes, 0);
  EXPECT_NE(listed[0].record.fileTime, 0);
  EXPECT_EQ(listed[2].record.fileTime, 0);
#else
  // Linux hosts read a Unix file mode and Unix seconds.
  EXPECT_EQ(listed[0].record.fileAttributes, 0100644);
  EXPECT_LE(std::abs(static_cast<long>(listed[0].record.fileTime - now)), 4L);
#endif
  (void)now;
  EXPECT_EQ(ReadWholeFile(out + kSep + kScreen), screen);
  EXPECT_EQ(ReadWholeFile(out + kSep + "headerless1"), code);
  EXPECT_EQ(ReadWholeFile(out + kSep + "nodata.0  0000 0000 0000 0000 FF 01"), std::vector<uint8_t>{});

  // Append: a file with a sub-folder in its name, and a headerless one, as a host passes them.
  std::string src = dir_ / "src";
  fs::create_directories(src + kSep + "sub");
  std::vector<uint8_t> more = Pattern(10, 3), raw = Pattern(20, 4);
  WriteWholeFile(src + kSep + "sub" + kSep + "more.3  000A 8000 0000 0000 FF 01", more);
  WriteWholeFile(src + kSep + "headerless9", raw);
  std::string list = List({std::string("sub") + kSep, std::string("sub") + kSep + "more.3  000A 8000 0000 0000 FF 01",
                           "headerless9"});
  std::vector<char> packed(tape.begin(), tape.end()), srcPath(src.begin(), src.end());
  packed.push_back(0);
  srcPath.push_back(kSep);
  srcPath.push_back(0);
  std::vector<char> names(list.begin(), list.end());
  EXPECT_EQ(plugin_.packFiles(packed.data(), nullptr, srcPath.data(), names.data(), kPackMoveFiles), 0);
  EXPECT_EQ(std::string(names.begin(), names.end()), list);  // the host's list is left as it was
  EXPECT_TRUE(fs::exists(src + kSep + "headerless9"));       // moving is not done
  EXPECT_EQ(plugin_.Names(tape), (std::vector<std::string>{kScreen, "headerless1", "nodata.0  0000 0000 0000 0000 FF 01",
                                                           kTail, "more.3  000A 8000 0000 0000 FF 01", "headerless2"}));

  // Delete two of them.
  std::string doomed = List({"headerless1", "more.3  000A 8000 0000 0000 FF 01"});
  std::vector<char> deleteList(doomed.begin(), doomed.end());
  EXPECT_EQ(plugin_.deleteFiles(packed.data(), deleteList.data()), 0);
  EXPECT_EQ(ReadWholeFile(tape), TapeBuilder()
                                      .File(3, "screen", screen, 16384, 32768)
                                      .Header(0, "nodata", 0)
                                      .File(3, "tail", {1})
                                      .Data(raw)
                                      .bytes());

  // A new, empty tape.
  std::string fresh = dir_ / "new.tap";
  std::vector<char> freshName(fresh.begin(), fresh.end());
  freshName.push_back(0);
  char empty[2] = {0, 0};
  EXPECT_EQ(plugin_.packFiles(freshName.data(), nullptr, srcPath.data(), empty, 0), 0);
  EXPECT_EQ(fs::file_size(fresh), 0u);
  EXPECT_TRUE(plugin_.Names(fresh).empty());
}

TEST_F(TapePlugin, HeaderRecordIsWrittenOnlyAsFarAsTheHostOwnsIt) {
  std::string tape = dir_ / "t.tap";
  WriteWholeFile(tape, TapeBuilder().Data({1}).bytes());
  std::vector<char> name(tape.begin(), tape.end());
  name.push_back(0);
  OpenArchiveRecord open = {};
  open.archiveName = name.data();
  void* handle = plugin_.openArchive(&open);
  ASSERT_NE(handle, nullptr);
  std::vector<uint8_t> record(sizeof(HeaderRecord) + 16, 0xA5);
  EXPECT_EQ(plugin_.readHeader(handle, reinterpret_cast<HeaderRecord*>(record.data())), 0);
#if defined(_WIN32) && !defined(_WIN64)
  const size_t owned = 572;  // the whole record
#else
  // A Linux host's packed record keeps its comment buffer pointer right after the
  // file attributes (offset 556); nothing from there on is the plugin's to write.
  const size_t owned = 556;
#endif
  for (size_t i = owned; i < record.size(); ++i) ASSERT_EQ(record[i], 0xA5) << i;
  int32_t attributes;
  memcpy(&attributes, record.data() + owned - 4, 4);
#ifdef _WIN32
  EXPECT_EQ(attributes, 0);  // the file attributes were written
#else
  EXPECT_EQ(attributes, 0100644);
#endif
  EXPECT_EQ(plugin_.processFile(handle, kSkip, nullptr, nullptr), 0);
  EXPECT_EQ(plugin_.readHeader(handle, reinterpret_cast<HeaderRecord*>(record.data())), 10);
  EXPECT_EQ(plugin_.closeArchive(handle), 0);
}

TEST_F(TapePlugin, SampleTapesListAndTest) {
  fs::path samples = HostPath(std::string(OX_SAMPLES_DIR) + "/tap");
  if (!fs::is_directory(samples)) GTEST_SKIP() << "no sample tapes at " << samples.string();
  int count = 0;
  for (const auto& file : fs::directory_iterator(samples)) {
    SCOPED_TRACE(file.path().filename().string());
    std::vector<LoadedPlugin::Listed> listed;
    std::vector<int> results;
    ASSERT_EQ(plugin_.List(file.path().string(), &listed, &results), 0);
    // Every block of the file belongs to exactly one entry.
    uint64_t covered = 0;
    for (const auto& l : listed) {
      bool headerless = l.name.rfind("headerless", 0) == 0 && l.name.find('.') == std::string::npos;
      covered += (headerless ? 0 : 21) + (l.record.fileTime ? l.record.packedSize + 4 : 0);
    }
    EXPECT_EQ(covered, fs::file_size(file.path()));
    for (int r : results) EXPECT_EQ(r, 0);  // every block of these tapes has a right checksum
    ++count;
  }
  EXPECT_GE(count, 20);
}

TEST_F(TapePlugin, BrokenSampleTapesFailWithTheirDamage) {
  fs::path samples = HostPath(std::string(OX_SAMPLES_DIR) + "/broken");
  if (!fs::is_directory(samples)) GTEST_SKIP() << "no broken sample tapes at " << samples.string();
  struct Case {
    const char* file;
    int result;
  } cases[] = {
      {"genie128_kio.tap", 13},                             // a header block with a wrong checksum
      {"libspectrum_invalid-warajevo-blockoffset.tap", 12},  // a block of length 0
      {"sjasmplus_c_structures.tap", 12},                    // a block runs past the end
      {"sjasmplus_sjio_coverage4.tap", 12},                  // text: a block runs past the end
      {"zesarux_test_autoconfig_empty.tap", 0},              // 0 bytes: an empty tape
  };
  std::string src = dir_ / "src";
  fs::create_directories(src);
  WriteWholeFile(src + kSep + "f.bin", {1});
  std::vector<char> srcPath(src.begin(), src.end());
  srcPath.push_back(0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string copy = dir_ / c.file;
    fs::copy_file(samples / c.file, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
    std::vector<uint8_t> before = ReadWholeFile(copy);
    std::vector<LoadedPlugin::Listed> listed;
    std::vector<int> results;
    EXPECT_EQ(plugin_.List(copy, &listed, &results), c.result);
    std::vector<char> name(copy.begin(), copy.end());
    name.push_back(0);
    std::string doomed = List({"headerless1"});
    std::vector<char> deleteList(doomed.begin(), doomed.end());
    int deleted = -1;
    std::string boxes = ShownBoxes([&] { deleted = plugin_.deleteFiles(name.data(), deleteList.data()); });
    EXPECT_EQ(deleted, c.result ? c.result : 1);
    EXPECT_EQ(boxes, c.result ? "" : "Vorkel Error: Error 920\n");  // the empty tape has no such entry
    std::string add = List({"f.bin"});
    std::vector<char> addList(add.begin(), add.end());
    EXPECT_EQ(plugin_.packFiles(name.data(), nullptr, srcPath.data(), addList.data(), 0), c.result);
    if (c.result) {
      EXPECT_EQ(ReadWholeFile(copy), before);  // a damaged tape is never changed
    }
  }
}

TEST_F(TapePlugin, ModulePathOf250CharactersLoads) {
  std::string base = dir_ / "";
  size_t fill = 250 - base.size() - 1 - strlen(kPluginFile);
  LoadedPlugin deep(base + std::string(fill, 'd') + kSep + kPluginFile);
  ASSERT_EQ(deep.path.size(), 250u);
  ASSERT_TRUE(deep.complete());
  EXPECT_EQ(deep.getPackerCaps(), 159);
}

#ifndef _WIN32
// Windows cannot load a module from a path that long at all; a POSIX loader can, and the
// plugin then refuses its work as it would refuse the load.
TEST_F(TapePlugin, ModulePathFillingTheBufferIsRefused) {
  std::string base = dir_ / "";
  size_t fill = 270 - base.size() - 1 - strlen(kPluginFile);
  LoadedPlugin deep(base + std::string(fill, 'd') + kSep + kPluginFile);
  ASSERT_TRUE(deep.complete());
  std::string tape = dir_ / "t.tap";
  WriteWholeFile(tape, TapeBuilder().Data({1}).bytes());
  std::vector<char> name(tape.begin(), tape.end());
  name.push_back(0);
  OpenArchiveRecord open = {};
  open.archiveName = name.data();
  EXPECT_EQ(deep.openArchive(&open), nullptr);
  EXPECT_EQ(open.openResult, 15);
  EXPECT_EQ(deep.getPackerCaps(), 0);
}

// The POSIX dialog is a virtual one that a script drives.
TEST_F(TapePlugin, OptionsDialogSavesAndAppliesAtOnce) {
  std::string tape = dir_ / "t.tap";
  WriteWholeFile(tape, TapeBuilder().File(3, "screen", Pattern(6912), 16384, 32768).bytes());
  setenv("OXWEN_DIALOG_SCRIPT", "102:check=1008=1,text=1020= attr,click=102", 1);
  plugin_.configurePacker(nullptr, nullptr);
  unsetenv("OXWEN_DIALOG_SCRIPT");
  const std::string decimal = "screen.3  06912 16384 32768 00000 255 attr001";
  EXPECT_EQ(plugin_.Names(tape), std::vector<std::string>{decimal});
  std::string config = dir_ / "plugin" + kSep + "Oxwen.cfg";
  ASSERT_TRUE(fs::exists(config));
  // Another copy loaded beside the file reads it when it starts.
  LoadedPlugin second(dir_ / "plugin" + kSep + "Second.wcx");
  ASSERT_TRUE(second.complete());
  EXPECT_EQ(second.Names(tape), std::vector<std::string>{decimal});
  // Cancel (the unscripted answer) changes nothing.
  plugin_.configurePacker(nullptr, nullptr);
  EXPECT_EQ(plugin_.Names(tape), std::vector<std::string>{decimal});
}
#endif

#ifdef _WIN32
#include <windows.h>

#include "dialog_template.h"

TEST_F(TapePlugin, OptionsDialogResourceIsLaidOutAsDesigned) {
  DialogTemplate t;
  ASSERT_TRUE(ReadDialogTemplate(plugin_.module, 102, &t));
  EXPECT_EQ(t.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
            static_cast<uint32_t>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(t.style & DS_CENTERMOUSE, 0u);  // not placed at the mouse pointer
  EXPECT_EQ(t.cx, 352);
  EXPECT_EQ(t.cy, 217);
  EXPECT_EQ(t.caption, "Nalmet options");
  EXPECT_EQ(t.points, 8);
  EXPECT_EQ(t.font, "MS Shell Dlg");
  const std::vector<DialogControl>& controls = t.controls;
  const std::string button = "#128", edit = "#129", label = "#130";
  const DialogControl expected[] = {
      {102, button, "Save && Apply", 110, 189, 60, 14, 0},
      {2, button, "Cancel", 198, 189, 50, 14, 0},
      {-1, button, "", 7, 2, 338, 67, 0},
      {101, label, "about", 14, 10, 323, 55, 0},
      {-1, button, "File naming", 14, 73, 324, 63, 0},
      {1008, button, "Parameters in decimal", 25, 87, 89, 10, 0},
      {1010, button, "Variable gap size", 25, 104, 72, 10, 0},
      {1015, edit, "", 181, 84, 40, 14, 0},
      {1016, edit, "", 181, 100, 40, 14, 0},
      {1017, edit, "", 181, 116, 40, 14, 0},
      {1018, edit, "", 291, 84, 40, 14, 0},
      {1019, edit, "", 291, 100, 40, 14, 0},
      {1020, edit, "", 291, 116, 40, 14, 0},
      {1004, edit, "", 101, 142, 237, 14, 0},
      {-1, label, "LENGTH", 128, 86, 45, 8, 0},
      {-1, label, "PARAM1", 128, 101, 45, 8, 0},
      {-1, label, "PARAM2", 128, 116, 45, 8, 0},
      {-1, label, "Body Addr", 241, 86, 43, 8, 0},
      {-1, label, "Body Flags", 241, 102, 43, 8, 0},
      {-1, label, "Attributes", 241, 117, 43, 8, 0},
      {-1, label, "Config file path:", 14, 144, 82, 8, 0},
      {1011, label, "", 14, 164, 324, 18, 0},
      {-1, button, "", 7, 2, 338, 208, 0},
  };
  ASSERT_EQ(controls.size(), std::size(expected));
  for (size_t i = 0; i < controls.size(); ++i) {
    const DialogControl& c = controls[i];
    const DialogControl& e = expected[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " (" << e.id << " " << e.text << ")");
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(c.kind, e.kind);
    EXPECT_EQ(c.text, e.text);
    EXPECT_EQ((std::vector<int>{c.x, c.y, c.cx, c.cy}), (std::vector<int>{e.x, e.y, e.cx, e.cy}));
    bool tabStop = (c.style & WS_TABSTOP) != 0;
    bool wantsTab = e.id == 102 || e.id == 2 || e.id == 1008 || e.id == 1010 || c.kind == edit;
    EXPECT_EQ(tabStop, wantsTab);
    uint32_t type = c.style & 0xF;
    if (c.kind == edit) {
      EXPECT_NE(c.style & WS_BORDER, 0u);
    } else if (e.id == 1008 || e.id == 1010) {
      EXPECT_EQ(type, static_cast<uint32_t>(BS_AUTOCHECKBOX));
    } else if (c.kind == button && e.id == -1) {
      EXPECT_EQ(type, static_cast<uint32_t>(BS_GROUPBOX));
    }
  }
  EXPECT_NE(controls[3].style & SS_SUNKEN, 0u);
  EXPECT_EQ(controls[3].style & 0xF, static_cast<uint32_t>(SS_CENTER));
  EXPECT_EQ(controls[21].style & 0xF, static_cast<uint32_t>(SS_CENTER));
  EXPECT_NE(controls[7].style & ES_AUTOHSCROLL, 0u);
  EXPECT_EQ(controls[8].style & ES_AUTOHSCROLL, 0u);
  EXPECT_EQ(controls[13].style & (ES_AUTOHSCROLL | ES_READONLY), static_cast<uint32_t>(ES_AUTOHSCROLL | ES_READONLY));
}
#endif

#ifdef _WIN32
// The real dialog from the resource, driven as a user would: a second thread finds the
// window, reads its controls and clicks, while ConfigurePacker runs modally.
TEST_F(TapePlugin, OptionsDialogRunsFromItsResource) {
  std::string tape = dir_ / "t.tap";
  WriteWholeFile(tape, TapeBuilder().File(3, "screen", Pattern(6912), 16384, 32768).bytes());
  struct Seen {
    bool found = false;
    std::string about, path, prefix, hintBefore, hintAfter;
    bool decimal = true;
  } seen;
  std::thread user([&] {
    auto dialog = static_cast<HWND>(WaitForDialog("Nalmet options"));
    if (!dialog) return;
    seen.found = true;
    char text[512];
    auto read = [&](int id) {
      GetDlgItemTextA(dialog, id, text, sizeof text);
      return std::string(text);
    };
    seen.about = read(101);
    seen.path = read(1004);
    seen.prefix = read(1015);
    seen.hintBefore = read(1011);
    seen.decimal = IsDlgButtonChecked(dialog, 1008) == BST_CHECKED;
    SendMessageA(GetDlgItem(dialog, 1008), BM_CLICK, 0, 0);
    seen.hintAfter = read(1011);
    SendMessageA(GetDlgItem(dialog, 102), BM_CLICK, 0, 0);
  });
  plugin_.configurePacker(nullptr, nullptr);
  user.join();
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.about, "\nNalmet 0.24 (03-Mar-2010)");
  EXPECT_EQ(seen.path, dir_ / "plugin" + kSep + "Oxwen.cfg");
  EXPECT_EQ(seen.prefix, " ");
  EXPECT_FALSE(seen.decimal);
  EXPECT_EQ(seen.hintBefore, "");
  EXPECT_EQ(seen.hintAfter,
            "It is recommended to restart all instances of Total Commander to fully apply new Vorkel and Nalmet "
            "settings!");
  EXPECT_EQ(plugin_.Names(tape), std::vector<std::string>{"screen.3  06912 16384 32768 00000 255 001"});
  EXPECT_TRUE(fs::exists(dir_ / "plugin" + kSep + "Oxwen.cfg"));
}
#endif
