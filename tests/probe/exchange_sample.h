// The settings file that the native build and the Windows build must write alike
// and read alike; shared by the Windows probe program and the native test that runs it.
#pragma once
#include <cstdio>
#include <cstring>
#include <string>

#include "common/settings.h"
#include "platform/profile.h"

namespace oxprobe {

inline ox::DiskSettings ExchangeSample() {
  ox::DiskSettings s = ox::DefaultDiskSettings();
  s.DirStructViewMode = ox::kViewSimple;
  s.NewImageFormat = 7;
  s.Naming.ParamsInDecimal = 1;
  s.Naming.VariableGap = 1;
  const char* prefixes[6] = {"", " p1=", "[q]", " a;", "#\"f\"", "ttttttttttttttttttt"};
  for (int i = 0; i < 6; ++i) {
    memset(s.Naming.FieldPrefix[i], 0, sizeof s.Naming.FieldPrefix[i]);
    strcpy(s.Naming.FieldPrefix[i], prefixes[i]);
  }
  s.Naming.FieldPrefix[0][5] = '\x7F';  // bytes after the terminator are kept as they are
  for (int i = 0; i < 99; ++i) s.BootConfig[i] = static_cast<char>(i % 2 ? 0xA0 + i % 16 : 'a' + i % 26);
  s.BootConfig[99] = 0;
  return s;
}

inline constexpr const char* kSampleImageName = "  new disk.mbd  ";

// What a file that already has settings and other content looks like before the sample goes in.
inline constexpr const char* kExistingFile =
    "; settings\r\n[Other]\r\nkey = value\r\n\r\n[VORKEL]\r\n  dirstructviewmode = 2\r\n"
    "FileNamingMode=00\r\nlast=1";

inline void WriteExchangeSample(const char* path) {
  ox::DiskSettings s = ExchangeSample();
  ox::SaveSettings(path, &s);
  plat::ProfileWriteString(ox::kConfigSection, ox::kKeyDefImageName, kSampleImageName, path);
}

inline std::string Hex(const void* data, size_t size) {
  std::string out;
  char two[3];
  for (size_t i = 0; i < size; ++i) {
    snprintf(two, sizeof two, "%02X", static_cast<const unsigned char*>(data)[i]);
    out += two;
  }
  return out;
}

inline std::string DumpOf(const ox::DiskSettings& s, const char* imageName) {
  return "view=" + std::to_string(s.DirStructViewMode) + "\nformat=" + std::to_string(s.NewImageFormat) +
         "\nnaming=" + Hex(&s.Naming, sizeof s.Naming) + "\nboot=" + Hex(s.BootConfig, sizeof s.BootConfig) +
         "\nimage=" + imageName + "\n";
}

// Everything the programs read from a file: the disk plugin's settings and the tool's key.
inline std::string ReadAndDump(const char* path) {
  ox::DiskSettings s = ox::DefaultDiskSettings();
  ox::LoadSettings(path, &s);
  char image[200];
  plat::ProfileReadString(ox::kConfigSection, ox::kKeyDefImageName, ox::kDefaultImageName, image, sizeof image,
                          path);
  return DumpOf(s, image);
}

}  // namespace oxprobe
