// Dreskin as a user meets it: the built program started as a process, with copies of the
// built plugins beside it, checked by its exit code, its messages and the files it leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "dialog_template.h"
#include "platform/profile.h"
#include "process.h"
#include "tape_support.h"
#include "temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using oxtest::TempDir;

namespace {

#ifdef _WIN32
const char kSep = '\\';
#else
const char kSep = '/';
#endif
const std::string kTool = std::string("Dreskin") + OX_PROGRAM_SUFFIX;
const std::string kVorkel = std::string("Vorkel") + OX_PLUGIN_SUFFIX;
const std::string kNalmet = std::string("Nalmet") + OX_PLUGIN_SUFFIX;
const std::string kUsage =
    "Dreskin: Invalid arguments.\n\nUSAGE:\ndreskin <-newmbd | -newtap> <\"file path\" | -askname \"directory\">\n";

std::string Built(const std::string& file) { return oxtest::HostPath(std::string(OX_BINARY_DIR) + "/" + file); }
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// What the dialogs of one run are answered with. A button of 0: that dialog should not appear.
struct Answers {
  int name = 0;       // the name dialog: 1 OK, 2 Cancel
  std::string typed;  // typed over the offered name when not empty
  int image = 0;      // the disk plugin's new-image dialog: 1005 Create, 2 Cancel
};

constexpr int kOk = 1, kCancel = 2, kCreate = 1005;
Answers NameDialog(int button, const std::string& typed = "", int image = 0) { return Answers{button, typed, image}; }
Answers ImageDialog(int button) { return Answers{0, "", button}; }

struct ToolResult : oxtest::ProcessResult {
  // What the name dialog showed; only the Windows runs, with real windows, can see it.
  std::string offered;
  std::pair<int, int> selection{-1, -1};
};

#ifdef _WIN32
HWND WaitForDialog(const char* caption) { return static_cast<HWND>(oxtest::WaitForDialog(caption)); }

// A user at the real dialogs: waits for each, looks at it and presses the button.
void AnswerDialogs(const Answers& a, ToolResult* seen) {
  if (a.name) {
    HWND dialog = WaitForDialog("Dreskin");
    if (!dialog) return;
    HWND edit = GetDlgItem(dialog, 1001);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    for (int i = 0; i < 100 && !(GetGUIThreadInfo(thread, &info) && info.hwndFocus == edit); ++i) Sleep(20);
    Sleep(200);  // the posted selection follows the focus
    char text[512];
    // Messages, not GetWindowText: only they reach a control of another process.
    SendMessageA(edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    seen->offered = text;
    DWORD range = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));
    seen->selection = {LOWORD(range), HIWORD(range)};
    if (!a.typed.empty()) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a.typed.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(a.name, BN_CLICKED), 0);
  }
  if (a.image) {
    if (HWND dialog = WaitForDialog("Vorkel - Creating new image")) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(a.image, BN_CLICKED), 0);
    }
  }
}
#endif

class ToolRun : public testing::Test {
 protected:
  // The tool in a directory of its own (its settings file goes there), with the plugins.
  void SetUp() override {
    fs::copy_file(Built(kTool), toolDir / kTool);
    for (const auto& plugin : {kVorkel, kNalmet}) fs::copy_file(Built(plugin), toolDir / plugin);
  }

  ToolResult Start(const std::vector<std::string>& args, const Answers& a = {}) { return StartIn(work.path(), args, a); }

  ToolResult StartIn(const std::string& cwd, const std::vector<std::string>& args, const Answers& a = {}) {
    ToolResult run;
#ifdef _WIN32
    std::thread user(AnswerDialogs, a, &run);
    static_cast<oxtest::ProcessResult&>(run) = oxtest::RunProcess(toolDir / kTool, args, cwd);
    user.join();
#else
    // Without windows the dialogs follow a script; unscripted they answer OK and Create.
    std::string script;
    if (a.name) {
      script = "101:";
      if (!a.typed.empty()) script += "text=1001=" + a.typed + ",";
      script += "click=" + std::to_string(a.name);
    }
    if (a.image) script += (script.empty() ? "" : ";") + std::string("104:click=") + std::to_string(a.image);
    static_cast<oxtest::ProcessResult&>(run) =
        oxtest::RunProcess(toolDir / kTool, args, cwd, {{"OXWEN_DIALOG_SCRIPT", script}});
#endif
    return run;
  }

  std::string Config() const { return toolDir / "Oxwen.cfg"; }
  std::string StoredName() const {
    char name[256];
    plat::ProfileReadString("vorkel", "DefImageName", "(none)", name, sizeof name, Config().c_str());
    return name;
  }
  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(work.path())) names.push_back(e.path().filename().string());
    return names;
  }

  TempDir toolDir, work;
};

}  // namespace

TEST_F(ToolRun, CreatesAnEmptyTapeSilently) {
  std::string tape = work / "new.tap";
  ToolResult run = Start({"-newtap", Quoted(tape)});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  ASSERT_TRUE(fs::exists(tape));
  EXPECT_EQ(fs::file_size(tape), 0u);
  EXPECT_FALSE(fs::exists(Config()));  // only -askname touches the settings

  // Order is free, a repeated option is harmless, a path with spaces is quoted.
  std::string spaced = work / "my tape.tap";
  run = Start({Quoted(spaced), "-newtap", "-newtap"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::exists(spaced));
}

TEST_F(ToolRun, CreatesADiskImageThroughTheNewImageDialog) {
  std::string disk = work / "new.mbd";
  ToolResult run = Start({"-newmbd", Quoted(disk)}, ImageDialog(kCreate));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  ASSERT_TRUE(fs::exists(disk));
  EXPECT_EQ(fs::file_size(disk), 1804u * 1024);  // format row 0
}

TEST_F(ToolRun, NeverTouchesAnExistingFile) {
  for (const char* option : {"-newtap", "-newmbd"}) {
    std::string existing = work / "old.img";
    WriteText(existing, "keep me");
    ToolResult run = Start({option, Quoted(existing)});
    EXPECT_EQ(run.exitCode, 1) << option;
    EXPECT_EQ(run.output, "Dreskin: File already exists.\n") << option;
    EXPECT_EQ(ReadText(existing), "keep me") << option;
  }
}

TEST_F(ToolRun, ShowsTheUsageForInvalidArguments) {
  std::string a = Quoted(work / "a.tap"), b = Quoted(work / "b.tap");
  const std::vector<std::string> cases[] = {
      {},
      {"-newmbd", "-newtap", a},
      {"-newtap"},
      {"-newtap", "-askname"},
      {"-newtap", a, b},
      {"-askname", a},
      {"-NEWTAP", a},  // options match exactly: this is a second path
  };
  for (const auto& args : cases) {
    ToolResult run = Start(args);
    std::string shown = args.empty() ? "" : args[0];
    EXPECT_EQ(run.exitCode, 1) << shown;
    EXPECT_EQ(run.output, kUsage) << shown;
  }
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ToolRun, AnOptionInAnotherCaseIsThePath) {
  ToolResult run = Start({"-newtap", "-Askname"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"-Askname"});  // created in the current directory
}

TEST_F(ToolRun, CommandLinesTheSplitterRefuses) {
  std::vector<std::string> eleven{"-newtap"};
  for (int i = 0; i < 10; ++i) eleven.push_back("x" + std::to_string(i));
  ToolResult run = Start(eleven);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "Dreskin: Too many arguments\n");

  run = Start({"-newtap", "\"" + (work / "open.tap")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "Dreskin: Bad arguments (no enclosing quote)\n");

  run = Start({"#", "\"open"});  // split before debug mode
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "Dreskin: Bad arguments (no enclosing quote)\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ToolRun, DebugModeShowsTheCommandLineAndEachArgument) {
  ToolResult run = Start({"#x", "-newtap", "\"a\"\"b c\"", "\"\""});
  EXPECT_EQ(run.exitCode, 11);
  EXPECT_EQ(run.output, "Dreskin: DEBUG MODE\n#x -newtap \"a\"\"b c\" \"\"\n#x\n-newtap\na\"b c\n\n\n");

  // One argument of k characters: "DEBUG MODE\n", the line and the argument with their
  // newlines and the terminator make 2k + 14 bytes; 1024 fit, 1026 do not.
  run = Start({"#" + std::string(505, 'x')});
  EXPECT_EQ(run.exitCode, 11);
  EXPECT_EQ(run.output, "Dreskin: Command line too long\n");
  run = Start({"#" + std::string(504, 'x')});
  EXPECT_EQ(run.exitCode, 11);
  EXPECT_EQ(run.output.substr(0, 20), "Dreskin: DEBUG MODE\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ToolRun, AsksForTheNameAndRemembersIt) {
  ToolResult run = Start({"-newtap", "-askname", Quoted(work.path())}, NameDialog(kOk));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::exists(work / "empty.tap"));
  EXPECT_EQ(StoredName(), "empty.tap");
#ifdef _WIN32
  EXPECT_EQ(run.offered, "empty.tap");
  EXPECT_EQ(run.selection, std::make_pair(0, 5));
#endif

  // The remembered name comes back with the disk extension; the directory may end with a separator.
  run = Start({"-newmbd", "-askname", Quoted(work.path() + kSep)}, NameDialog(kOk, "", kCreate));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  ASSERT_TRUE(fs::exists(work / "empty.mbd"));
  EXPECT_EQ(fs::file_size(work / "empty.mbd"), 1804u * 1024);
  EXPECT_EQ(StoredName(), "empty.mbd");

  // A typed name is taken as it is and remembered.
  run = Start({"-askname", Quoted(work.path()), "-newtap"}, NameDialog(kOk, "game.tap"));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fs::exists(work / "game.tap"));
  EXPECT_EQ(StoredName(), "game.tap");
#ifdef _WIN32
  EXPECT_EQ(run.offered, "empty.tap");
#endif
}

TEST_F(ToolRun, AStoredNameIsOfferedWithTheNewExtension) {
  WriteText(Config(), "[vorkel]\nDefImageName=game.tap\n");
  ToolResult run = Start({"-newmbd", "-askname", Quoted(work.path())}, NameDialog(kOk, "", kCreate));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fs::exists(work / "game.mbd"));
  EXPECT_EQ(StoredName(), "game.mbd");
#ifdef _WIN32
  EXPECT_EQ(run.offered, "game.mbd");
  EXPECT_EQ(run.selection, std::make_pair(0, 4));
#endif
}

TEST_F(ToolRun, AnEmptyDirectoryPutsOneBackslashBeforeTheName) {
  // The name then reaches from the root of the current drive down into the work directory.
  std::string below = work.path().substr(fs::path(work.path()).root_path().string().size());
  std::string name = below + kSep + "rooted.tap";
  ToolResult run = Start({"-newtap", "-askname", "\"\""}, NameDialog(kOk, name));
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::exists(work / "rooted.tap"));
  EXPECT_EQ(StoredName(), name);
}

TEST_F(ToolRun, CancelEndsQuietlyAndKeepsTheStoredName) {
  WriteText(Config(), "[vorkel]\nDefImageName=game.tap\n");
  ToolResult run = Start({"-newtap", "-askname", Quoted(work.path())}, NameDialog(kCancel, "other.tap"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(ReadText(Config()), "[vorkel]\nDefImageName=game.tap\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ToolRun, PathLengthLimits) {
  // Paths in a directory that does not exist: the tool passes them on, the plugin cannot create them.
  auto pathOf = [&](size_t length) {
    std::string p = work / "missing";
    while (p.size() < length) p += (p.size() % 100 == 0 ? kSep : 'p');
    if (p.back() == kSep) p.back() = 'p';
    return p;
  };
  ToolResult run = Start({"-newtap", Quoted(pathOf(1023))});
  EXPECT_EQ(run.exitCode, 15);
  EXPECT_EQ(run.output, "Dreskin: Error opening or creating file\n");
  run = Start({"-newtap", Quoted(pathOf(1024))});
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(run.output, "Dreskin: Path too long\n");

  // With -askname the directory, a separator and the name count: 1014 + 1 + 9 leaves no
  // room for the terminator. The name is remembered only for a path that fits.
  run = Start({"-newtap", "-askname", Quoted(pathOf(1014))}, NameDialog(kOk));
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(run.output, "Dreskin: Path too long\n");
  EXPECT_FALSE(fs::exists(Config()));
  run = Start({"-newtap", "-askname", Quoted(pathOf(1013))}, NameDialog(kOk));
  EXPECT_EQ(run.exitCode, 15);
  EXPECT_EQ(run.output, "Dreskin: Error opening or creating file\n");
  EXPECT_EQ(StoredName(), "empty.tap");  // written before the creation failed
}

TEST_F(ToolRun, APluginFailureBecomesTheExitCode) {
  ToolResult run = Start({"-newmbd", Quoted(work / "cancelled.mbd")}, ImageDialog(kCancel));
  EXPECT_EQ(run.exitCode, 21);
  EXPECT_EQ(run.output, "Dreskin: Error\n");
  EXPECT_TRUE(WorkFiles().empty());  // the disk plugin removes the file it made
}

TEST_F(ToolRun, AMissingPluginLeavesTheSettingsAlone) {
  fs::remove(toolDir / kVorkel);
  fs::remove(toolDir / kNalmet);
  WriteText(Config(), "[vorkel]\nDefImageName=game.tap\n");
  const std::pair<const char*, std::string> cases[] = {{"-newtap", kNalmet}, {"-newmbd", kVorkel}};
  for (const auto& [option, plugin] : cases) {
    ToolResult run = Start({option, "-askname", Quoted(work.path())});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, "Dreskin: " + plugin + " not found\n");
  }
  EXPECT_EQ(ReadText(Config()), "[vorkel]\nDefImageName=game.tap\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(ToolRun, FindsThePluginInTheCurrentDirectory) {
  fs::rename(toolDir / kNalmet, work / kNalmet);
  ToolResult run = Start({"-newtap", Quoted(work / "here.tap")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_TRUE(fs::exists(work / "here.tap"));
}

TEST_F(ToolRun, APluginWithoutPackFiles) {
  fs::remove(toolDir / kNalmet);
  fs::copy_file(oxtest::HostPath(std::string(OX_FIXTURES_DIR) + "/plugin_without_packfiles" + OX_PLUGIN_SUFFIX),
                toolDir / kNalmet);
  ToolResult run = Start({"-newtap", Quoted(work / "x.tap")});
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.output, "Dreskin: PackFiles() function not found\n");
  EXPECT_TRUE(WorkFiles().empty());
}

#ifndef _WIN32
// Deep directories, which only the POSIX build can make and enter.
std::string DeepDirectory(const std::string& base, size_t length) {
  std::string p = base;
  while (p.size() < length) {
    size_t room = length - p.size();
    if (room == 1) {
      p += 'e';  // no room for another name: the last one grows
      break;
    }
    p += "/" + std::string(std::min<size_t>(200, room - 1), 'd');
  }
  fs::create_directories(p);
  return p;
}

TEST_F(ToolRun, TheCurrentDirectoryMayHaveAtMost1019Characters) {
  std::string ok = DeepDirectory(work / "a", 1019), tooLong = DeepDirectory(work / "b", 1020);
  ASSERT_EQ(ok.size(), 1019u);
  ASSERT_EQ(tooLong.size(), 1020u);
  ToolResult run = StartIn(tooLong, {"-newtap", Quoted(work / "x.tap")});
  EXPECT_EQ(run.exitCode, 7);
  EXPECT_EQ(run.output, "Dreskin: Path too long\n");
  EXPECT_FALSE(fs::exists(work / "x.tap"));
  run = StartIn(ok, {"-newtap", Quoted(work / "x.tap")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(fs::exists(work / "x.tap"));
}

// A tool whose own path is longer than 260 characters has no settings file: the name
// starts empty and is remembered nowhere, neither beside the tool nor in the current directory.
// (The plugin, which refuses so long a path of its own, is found in the current directory.)
TEST_F(ToolRun, WithoutRoomForItsOwnPathNothingIsRemembered) {
  std::string deep = DeepDirectory(toolDir.path() + "/deep", 300);
  fs::copy_file(toolDir / kTool, deep + "/" + kTool);
  oxtest::ProcessResult run =
      oxtest::RunProcess(deep + "/" + kTool, {"-newtap", "-askname", Quoted(work.path())}, toolDir.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{".tap"});
  EXPECT_FALSE(fs::exists(deep + "/Oxwen.cfg"));
  EXPECT_FALSE(fs::exists(Config()));
}
#endif
