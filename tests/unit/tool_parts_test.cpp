// The pieces of Dreskin that a run through the program cannot reach or cannot show:
// every splitting rule, the offered name, the joined path and the dialog's behaviour.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/alloc.h"
#include "fake_controls.h"
#include "tape_support.h"
#include "tool/command_line.h"
#include "tool/messages.h"
#include "tool/name_dialog.h"
#include "tool/run.h"

using namespace ox::tool;

namespace {

struct Split {
  bool ok;
  std::vector<std::string> args;
  std::string shown;
};

Split SplitText(const char* text) {
  Split s;
  Arguments args;
  s.shown = oxtest::ShownBoxes([&] { s.ok = SplitCommandLine(text, &args); });
  for (int i = 0; i < args.count; ++i) s.args.push_back(args[i]);
  return s;
}

}  // namespace

TEST(ToolCommandLine, SplitsAtUnquotedSpacesAndUnquotes) {
  struct Case {
    const char* text;
    std::vector<std::string> args;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"  -newtap   x.tap ", {"-newtap", "x.tap"}},
      {"a\tb", {"a\tb"}},  // only the space separates
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"\"\" x", {"", "x"}},
      {"\"a\"\"b\"", {"a\"b"}},
      {"\"\"\"\"", {"\""}},
      {"x\"\" y", {"x", "y"}},
      {"\"C:\\my images\\new.tap\" -newtap", {"C:\\my images\\new.tap", "-newtap"}},
      {"1 2 3 4 5 6 7 8 9 10", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
      {"1 2 3 4 5 6 7 8 9 10   ", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
  };
  for (const auto& c : cases) {
    Split s = SplitText(c.text);
    EXPECT_TRUE(s.ok) << c.text;
    EXPECT_EQ(s.args, c.args) << c.text;
    EXPECT_EQ(s.shown, "") << c.text;
  }
}

TEST(ToolCommandLine, RefusesWithItsMessage) {
  struct Case {
    const char* text;
    const char* shown;
  } cases[] = {
      {"1 2 3 4 5 6 7 8 9 10 11", "Dreskin: Too many arguments\n"},
      {"-newtap \"x.tap", "Dreskin: Bad arguments (no enclosing quote)\n"},
      {"\"a\"\"", "Dreskin: Bad arguments (no enclosing quote)\n"},  // the doubled quote is no end
  };
  for (const auto& c : cases) {
    Split s = SplitText(c.text);
    EXPECT_FALSE(s.ok) << c.text;
    EXPECT_EQ(s.shown, c.shown) << c.text;
  }
  ox::ArmAllocationFailure(2);
  Split s = SplitText("a b");
  ox::DisarmAllocationFailure();
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.shown, "Dreskin: Not enough memory\n");
}

// POSIX rebuilds the command line from the shell's arguments.
TEST(ToolCommandLine, JoinedArgumentsSplitBackAsTyped) {
  struct Case {
    std::vector<const char*> argv;
    std::string joined;
    std::vector<std::string> args;
  } cases[] = {
      {{}, "", {}},
      {{"-newtap", "/tmp/my images/a.tap"}, "-newtap \"/tmp/my images/a.tap\"", {"-newtap", "/tmp/my images/a.tap"}},
      {{"-askname", ""}, "-askname \"\"", {"-askname", ""}},
      {{"#", "\"a\"\"b c\""}, "# \"a\"\"b c\"", {"#", "a\"b c"}},  // the tool's own quoting
  };
  for (const auto& c : cases) {
    ox::HeapBlock<char> joined = JoinArguments(static_cast<int>(c.argv.size()), c.argv.data());
    ASSERT_TRUE(joined);
    EXPECT_EQ(std::string(joined.get()), c.joined);
    EXPECT_EQ(SplitText(joined.get()).args, c.args) << c.joined;
  }
}

TEST(ToolName, TheExtensionReplacesWhatFollowsTheLastDot) {
  std::string longName(199, 'x');
  std::string dotAt191 = longName, dotAt192 = longName, twoDots = longName;
  dotAt191[191] = '.';
  dotAt192[192] = '.';  // beyond the searched part
  twoDots[100] = '.';
  twoDots[195] = '.';
  struct Case {
    std::string stored;
    const char* extension;
    std::string offered;
    uint32_t selected;
  } cases[] = {
      {"empty.", ".tap", "empty.tap", 5},
      {"game.tap", ".mbd", "game.mbd", 4},
      {"a.b.c", ".tap", "a.b.tap", 3},
      {"noext", ".mbd", ".mbd", 0},
      {"", ".tap", ".tap", 0},
      {".tap", ".mbd", ".mbd", 0},
      {dotAt191, ".tap", std::string(191, 'x') + ".tap", 191},
      {dotAt192, ".tap", ".tap", 0},
      {twoDots, ".mbd", std::string(100, 'x') + ".mbd", 100},
  };
  for (const auto& c : cases) {
    char name[kNameSize] = {};
    memcpy(name, c.stored.c_str(), c.stored.size() + 1);
    EXPECT_EQ(OfferName(name, c.extension), c.selected) << c.stored;
    EXPECT_EQ(std::string(name), c.offered) << c.stored;
  }
}

TEST(ToolName, DirectoryAndNameAreJoinedWithOneBackslash) {
  struct Case {
    std::string dir, name, joined;
  } cases[] = {
      {"C:\\images", "a.tap", "C:\\images\\a.tap"},
      {"C:\\images\\", "a.tap", "C:\\images\\a.tap"},
      {"/tmp/images/", "a.tap", "/tmp/images/a.tap"},
      {"", "a.tap", "\\a.tap"},
      {std::string(1013, 'd'), "empty.tap", std::string(1013, 'd') + "\\empty.tap"},  // 1024 with both extras
  };
  for (const auto& c : cases) {
    char target[kTargetPathSize];
    memcpy(target, c.dir.c_str(), c.dir.size() + 1);
    EXPECT_TRUE(JoinDirectoryAndName(target, c.name.c_str())) << c.dir;
    EXPECT_EQ(std::string(target), c.joined) << c.dir;
  }
  char target[kTargetPathSize];
  std::string dir(1014, 'd');
  memcpy(target, dir.c_str(), dir.size() + 1);
  EXPECT_FALSE(JoinDirectoryAndName(target, "empty.tap"));
  EXPECT_EQ(std::string(target), dir);
}

TEST(ToolMessages, ResultTexts) {
  struct Case {
    int code;
    const char* text;
  } cases[] = {
      {11, "Not enough memory"},   {15, "Error opening or creating file"}, {16, "Error opening or creating file"},
      {17, "Error writing file"},  {19, "Error writing file"},             {18, "Error reading file"},
      {1, "Error"},                {21, "Error"},                          {24, "Error"},
      {-1, "Error"},
  };
  for (const auto& c : cases) EXPECT_STREQ(ResultText(c.code), c.text) << c.code;
}

TEST(ToolNameDialog, OffersTheNameWithItsNamePartSelected) {
  char name[kNameSize] = "empty.tap";
  NameDialogBehavior dialog(name, 5);
  oxtest::FakeControls controls;
  EXPECT_FALSE(dialog.OnInit(controls));  // the dialog places the focus itself
  EXPECT_EQ(controls.controls[kNameEdit].text, "empty.tap");
  EXPECT_EQ(controls.focus, kNameEdit);
  EXPECT_EQ(controls.selected[kNameEdit], std::make_pair(0, 5));

  controls.Type(dialog, kNameEdit, "game");
  controls.Click(dialog, 1003);  // not a button of this dialog
  EXPECT_FALSE(controls.ended);
  EXPECT_STREQ(name, "empty.tap");  // taken only on OK
  controls.Click(dialog, 1);
  EXPECT_TRUE(controls.ended);
  EXPECT_EQ(controls.result, 1);
  EXPECT_STREQ(name, "game");
}

TEST(ToolNameDialog, CancelKeepsTheNameAndOkTakesAtMost199Characters) {
  char name[kNameSize] = "empty.tap";
  NameDialogBehavior dialog(name, 5);
  oxtest::FakeControls cancelled;
  dialog.OnInit(cancelled);
  cancelled.Type(dialog, kNameEdit, "other.tap");
  cancelled.Click(dialog, 2);
  EXPECT_EQ(cancelled.result, 2);
  EXPECT_STREQ(name, "empty.tap");

  oxtest::FakeControls confirmed;
  dialog.OnInit(confirmed);
  confirmed.Type(dialog, kNameEdit, std::string(300, 'n'));
  confirmed.Click(dialog, 1);
  EXPECT_EQ(std::string(name), std::string(199, 'n'));
}

#ifdef _WIN32
#include <windows.h>

#include "dialog_template.h"

TEST(ToolNameDialog, ResourceIsLaidOutAsDesigned) {
  std::string program = oxtest::HostPath(std::string(OX_BINARY_DIR) + "/Dreskin" + OX_PROGRAM_SUFFIX);
  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  oxtest::DialogTemplate t;
  ASSERT_TRUE(oxtest::ReadDialogTemplate(module, kNameDialogResource, &t));
  FreeLibrary(module);
  EXPECT_EQ(t.caption, "Dreskin");
  EXPECT_EQ(std::vector<int>({t.cx, t.cy}), std::vector<int>({188, 90}));
  EXPECT_EQ(t.points, 8);
  EXPECT_EQ(t.font, "MS Shell Dlg");
  const uint32_t frame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  EXPECT_EQ(t.style & frame, frame);
  const std::string button = "#128", edit = "#129", label = "#130";
  const uint32_t tab = WS_TABSTOP;
  const oxtest::DialogControl expected[] = {
      {-1, button, "", 7, 2, 174, 81, BS_GROUPBOX},
      {1002, label, "File name:", 14, 19, 159, 8, 0},
      {1001, edit, "", 14, 36, 160, 14, ES_AUTOHSCROLL | WS_BORDER | tab},
      {1, button, "OK", 42, 62, 50, 14, BS_DEFPUSHBUTTON | tab},
      {2, button, "Cancel", 103, 62, 50, 14, tab},
  };
  oxtest::ExpectControls(t.controls, expected, std::size(expected));
}
#endif
