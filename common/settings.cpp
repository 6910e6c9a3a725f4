#include "common/settings.h"

#include <cstring>

#include "platform/profile.h"

namespace ox {
namespace {

// A stored prefix may fill all 20 bytes; it is cut to 19 characters.
void TerminatePrefixes(NamingMode* mode) {
  for (auto& prefix : mode->FieldPrefix) prefix[kFieldPrefixSize - 1] = 0;
}

void WriteDecimal(const char* configPath, const char* key, int32_t value) {
  // Stored as unsigned decimal text, as the value has always been written.
  char text[12];
  char* p = text + sizeof text;
  *--p = 0;
  uint32_t v = static_cast<uint32_t>(value);
  do {
    *--p = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  plat::ProfileWriteString(kConfigSection, key, p, configPath);
}

}  // namespace

void LoadSettings(const char* configPath, NamingMode* mode) {
  NamingMode scratch;
  if (!plat::ProfileReadStruct(kConfigSection, kKeyFileNamingMode, &scratch, sizeof scratch, configPath)) return;
  if (scratch.Version != kNamingModeVersion) return;
  *mode = scratch;
  TerminatePrefixes(mode);
}

void LoadSettings(const char* configPath, DiskSettings* settings) {
  int32_t view = plat::ProfileReadInt(kConfigSection, kKeyDirStructViewMode, -1, configPath);
  if (view == kViewSimple || view == kViewTree) settings->DirStructViewMode = view;
  int32_t format = plat::ProfileReadInt(kConfigSection, kKeyNewImageFormat, -1, configPath);
  if (format >= 0 && format <= 9) settings->NewImageFormat = format;
  LoadSettings(configPath, &settings->Naming);
  // Read aside: a damaged value must not leave part of itself in the setting.
  char boot[kBootConfigSize];
  if (plat::ProfileReadStruct(kConfigSection, kKeyBootConfig, boot, sizeof boot, configPath)) {
    memcpy(settings->BootConfig, boot, sizeof boot);
  }
  settings->BootConfig[kBootConfigSize - 1] = 0;
}

void SaveSettings(const char* configPath, NamingMode* mode) {
  mode->Version = kNamingModeVersion;
  plat::ProfileWriteStruct(kConfigSection, kKeyFileNamingMode, mode, sizeof *mode, configPath);
}

void SaveSettings(const char* configPath, DiskSettings* settings) {
  WriteDecimal(configPath, kKeyDirStructViewMode, settings->DirStructViewMode);
  WriteDecimal(configPath, kKeyNewImageFormat, settings->NewImageFormat);
  SaveSettings(configPath, &settings->Naming);
  plat::ProfileWriteStruct(kConfigSection, kKeyBootConfig, settings->BootConfig, kBootConfigSize, configPath);
}

bool NamingModesDiffer(const NamingMode& a, const NamingMode& b) {
  if (a.ParamsInDecimal != b.ParamsInDecimal || a.VariableGap != b.VariableGap) return true;
  for (uint32_t i = 0; i < kFieldCount; ++i) {
    if (strncmp(a.FieldPrefix[i], b.FieldPrefix[i], kFieldPrefixSize) != 0) return true;
  }
  return false;
}

}  // namespace ox
