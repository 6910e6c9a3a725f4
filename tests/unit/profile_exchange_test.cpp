// One configuration file serves the native and the Windows builds: the same settings
// written by either give the same bytes, and each reads what the other wrote.
// The Windows side is the 64-bit probe program run under wine64.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../probe/exchange_sample.h"
#include "image_builder.h"
#include "temp_dir.h"

using oxtest::TempDir;

namespace {

constexpr const char* kWine = "/usr/lib/wine/wine64";

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void Put(const std::string& path, const std::string& text) {
  oxtest::WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

class ProfileExchange : public testing::Test {
 protected:
  void SetUp() override {
    if (access(OX_WIN64_PROFILE_PROBE, F_OK) != 0) {
      GTEST_SKIP() << "the 64-bit Windows probe " OX_WIN64_PROFILE_PROBE
                      " is missing: build it with ./scripts/configure.sh win64 (scripts/test.sh does)";
    }
    if (access(kWine, X_OK) != 0) GTEST_SKIP() << kWine << " is missing: the Windows side cannot run";
  }

  // Runs the probe; its output goes to files, because wine's helper processes inherit
  // the streams and would keep a pipe of ours open.
  std::string Probe(const std::string& command, const std::string& unixPath) {
    std::string windowsPath = "Z:" + unixPath;
    for (char& c : windowsPath) c = c == '/' ? '\\' : c;
    std::string out = dir_ / "probe.out", err = dir_ / "probe.err";
    std::string line = std::string("'") + OX_WINE_RUN + "' '" + OX_WIN64_PROFILE_PROBE + "' " + command + " '" +
                       windowsPath + "' >'" + out + "' 2>'" + err + "' </dev/null";
    int rc = std::system(line.c_str());
    EXPECT_EQ(rc, 0) << line << "\n" << Slurp(err);
    std::string text;
    for (char c : Slurp(out)) {
      if (c != '\r') text += c;  // the Windows console stream ends lines with CR LF
    }
    size_t begin = text.find("BEGIN\n"), end = text.find("END\n");
    if (begin == std::string::npos || end == std::string::npos) return text;
    return text.substr(begin + 6, end - begin - 6);
  }

  TempDir dir_;
};

}  // namespace

TEST_F(ProfileExchange, BothBuildsWriteTheSameTextAndReadEachOther) {
  const std::string expected = oxprobe::DumpOf(oxprobe::ExchangeSample(), "new disk.mbd");
  for (const char* start : {static_cast<const char*>(nullptr), oxprobe::kExistingFile}) {
    SCOPED_TRACE(start ? "into an existing file" : "into a new file");
    std::string native = dir_ / "native.cfg", windows = dir_ / "windows.cfg";
    unlink(native.c_str());
    unlink(windows.c_str());
    if (start) {
      Put(native, start);
      Put(windows, start);
    }
    oxprobe::WriteExchangeSample(native.c_str());
    Probe("write", windows);
    std::string nativeText = Slurp(native);
    ASSERT_FALSE(nativeText.empty());
    EXPECT_EQ(nativeText, Slurp(windows));

    EXPECT_EQ(Probe("read", native), expected);
    EXPECT_EQ(oxprobe::ReadAndDump(windows.c_str()), expected);
  }
}

TEST_F(ProfileExchange, BothBuildsRejectTheSameDamagedValues) {
  ox::DiskSettings sample = oxprobe::ExchangeSample();
  std::string path = dir_ / "damaged.cfg";
  oxprobe::WriteExchangeSample(path.c_str());
  std::string text = Slurp(path);
  // Break the checksum of the naming record and drop a byte of the boot configuration.
  size_t naming = text.find("\r\n", text.find("FileNamingMode="));
  text[naming - 1] = text[naming - 1] == '0' ? '1' : '0';
  size_t boot = text.find("\r\n", text.find("BootConfig="));
  text.erase(boot - 4, 2);
  Put(path, text);

  ox::DiskSettings expected = ox::DefaultDiskSettings();
  expected.DirStructViewMode = sample.DirStructViewMode;
  expected.NewImageFormat = sample.NewImageFormat;
  std::string dump = oxprobe::DumpOf(expected, "new disk.mbd");
  EXPECT_EQ(oxprobe::ReadAndDump(path.c_str()), dump);
  EXPECT_EQ(Probe("read", path), dump);
}
#endif
