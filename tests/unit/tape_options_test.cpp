#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "common/settings.h"
#include "platform/dialog.h"
#include "tape/options_dialog.h"
#include "tape/options_ids.h"
#include "temp_dir.h"

using oxtest::TempDir;

namespace {

// Controls as a user sees them; each change a user makes sends its command, as Windows does.
class FakeControls final : public plat::DialogControls {
 public:
  void SetText(int id, const char* text) override {
    std::string t = text ? text : "";
    if (limits_.count(id) && t.size() > limits_[id]) t.resize(limits_[id]);
    texts_[id] = t;
  }
  uint32_t GetText(int id, char* buffer, uint32_t size) override {
    const std::string& t = texts_[id];
    uint32_t n = static_cast<uint32_t>(std::min<size_t>(t.size(), size - 1));
    memcpy(buffer, t.data(), n);
    buffer[n] = 0;
    return n;
  }
  void SetChecked(int id, bool checked) override { checked_[id] = checked; }
  bool IsChecked(int id) override { return checked_[id]; }
  void LimitText(int id, uint32_t limit) override { limits_[id] = limit; }
  void SelectText(int, int, int) override {}
  void Focus(int) override {}
  int AddListItem(int, const char*) override { return -1; }
  void SetListSelection(int, int) override {}
  int GetListSelection(int) override { return -1; }
  void End(intptr_t result) override { ended_ = result; }

  void Type(plat::DialogBehavior& b, int id, const std::string& text) {
    SetText(id, text.c_str());
    b.OnCommand(*this, id, plat::kEditChanged);
  }
  void Check(plat::DialogBehavior& b, int id, bool on) {
    checked_[id] = on;
    b.OnCommand(*this, id, plat::kClicked);
  }

  std::map<int, std::string> texts_;
  std::map<int, bool> checked_;
  std::map<int, uint32_t> limits_;
  intptr_t ended_ = 0;
};

const std::string kHint =
    "It is recommended to restart all instances of Total Commander to fully apply new Vorkel and Nalmet settings!";

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(TapeOptions, OpensWithTheLiveModeWithoutAConfigurationFile) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  ox::NamingMode live = ox::DefaultNamingMode();
  ox::LoadSettings(config.c_str(), &live);  // no file: the defaults stay
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_ABOUT], "\nNalmet 0.24 (03-Mar-2010)");
  EXPECT_EQ(c.texts_[OX_TAPE_ID_CONFIG_PATH], config);
  EXPECT_FALSE(c.checked_[OX_TAPE_ID_DECIMAL]);
  EXPECT_FALSE(c.checked_[OX_TAPE_ID_VARIABLE_GAP]);
  for (int id = 1015; id <= 1020; ++id) {
    EXPECT_EQ(c.texts_[id], " ") << id;
    EXPECT_EQ(c.limits_[id], 19u) << id;
  }
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], "");
}

TEST(TapeOptions, OpensWithTheSettingsOfTheConfigurationFile) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  ox::NamingMode stored = ox::DefaultNamingMode();
  stored.ParamsInDecimal = 1;
  stored.VariableGap = 1;
  strcpy(stored.FieldPrefix[2], "p2=");
  strcpy(stored.FieldPrefix[5], "");
  ox::SaveSettings(config.c_str(), &stored);
  ox::NamingMode live = ox::DefaultNamingMode();
  ox::LoadSettings(config.c_str(), &live);
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  EXPECT_TRUE(c.checked_[OX_TAPE_ID_DECIMAL]);
  EXPECT_TRUE(c.checked_[OX_TAPE_ID_VARIABLE_GAP]);
  EXPECT_EQ(c.texts_[1017], "p2=");
  EXPECT_EQ(c.texts_[1020], "");
  EXPECT_EQ(c.texts_[1015], " ");
}

TEST(TapeOptions, HintFollowsTheDifferenceFromTheLiveMode) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  ox::NamingMode live = ox::DefaultNamingMode();
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  c.Check(dialog, OX_TAPE_ID_DECIMAL, true);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], kHint);
  c.Check(dialog, OX_TAPE_ID_DECIMAL, false);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], "");
  c.Check(dialog, OX_TAPE_ID_VARIABLE_GAP, true);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], kHint);
  c.Check(dialog, OX_TAPE_ID_VARIABLE_GAP, false);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], "");
  for (int id = 1015; id <= 1020; ++id) {
    SCOPED_TRACE(id);
    c.Type(dialog, id, " x");
    EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], kHint);
    c.Type(dialog, id, " ");
    EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], "");
  }
  // A focus change of an unchanged box counts as a command too, and keeps the state.
  dialog.OnCommand(c, 1016, 0x100);
  EXPECT_EQ(c.texts_[OX_TAPE_ID_HINT], "");
  dialog.OnCommand(c, 9999, plat::kClicked);  // unknown: ignored
  EXPECT_EQ(c.ended_, 0);
  EXPECT_FALSE(std::filesystem::exists(config));
}

TEST(TapeOptions, CancelChangesNothing) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  ox::NamingMode live = ox::DefaultNamingMode();
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  c.Check(dialog, OX_TAPE_ID_DECIMAL, true);
  c.Type(dialog, 1015, "len");
  dialog.OnCommand(c, OX_TAPE_ID_CANCEL, plat::kClicked);
  EXPECT_EQ(c.ended_, OX_TAPE_ID_CANCEL);
  EXPECT_FALSE(ox::NamingModesDiffer(live, ox::DefaultNamingMode()));
  EXPECT_FALSE(std::filesystem::exists(config));
}

TEST(TapeOptions, SaveAppliesAndWritesTheNamingRecordOnly) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  // The disk plugin's keys in the same file stay as they are.
  {
    std::ofstream out(config);
    out << "[vorkel]\nDirStructViewMode=1\nNewImageFormat=7\nBootConfig=41424300\n";
  }
  ox::NamingMode live = ox::DefaultNamingMode();
  live.Version = 0;
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  c.Check(dialog, OX_TAPE_ID_DECIMAL, true);
  c.Type(dialog, 1018, "a very long prefix that is cut");
  c.Type(dialog, 1020, "");
  dialog.OnCommand(c, OX_TAPE_ID_SAVE, plat::kClicked);
  EXPECT_EQ(c.ended_, OX_TAPE_ID_SAVE);
  EXPECT_EQ(live.ParamsInDecimal, 1);
  EXPECT_EQ(live.VariableGap, 0);
  EXPECT_EQ(live.Version, 3);
  EXPECT_STREQ(live.FieldPrefix[3], "a very long prefix ");  // the box holds 19 characters
  EXPECT_STREQ(live.FieldPrefix[5], "");
  ox::NamingMode stored = ox::DefaultNamingMode();
  ox::LoadSettings(config.c_str(), &stored);
  EXPECT_FALSE(ox::NamingModesDiffer(stored, live));
  std::string text = FileText(config);
  EXPECT_NE(text.find("DirStructViewMode=1"), std::string::npos) << text;
  EXPECT_NE(text.find("NewImageFormat=7"), std::string::npos) << text;
  EXPECT_NE(text.find("BootConfig=41424300"), std::string::npos) << text;
  EXPECT_NE(text.find("FileNamingMode="), std::string::npos) << text;
}

TEST(TapeOptions, SaveWithoutChangesStillWritesTheRecord) {
  TempDir dir;
  std::string config = dir / "Oxwen.cfg";
  ox::NamingMode live = ox::DefaultNamingMode();
  ox::tape::TapeOptionsDialog dialog(&live, config.c_str());
  FakeControls c;
  dialog.OnInit(c);
  dialog.OnCommand(c, OX_TAPE_ID_SAVE, plat::kClicked);
  EXPECT_NE(FileText(config).find("FileNamingMode="), std::string::npos);
}
