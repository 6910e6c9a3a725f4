// The settings both plugins keep in the shared configuration file beside their modules.
// These are pure functions over records and paths; each program holds its own live
// settings as module-wide state and passes them in.
#pragma once
#include <cstdint>

namespace ox {

constexpr uint32_t kPathBufferSize = 261;  // every path buffer: 260 characters and a terminator
constexpr const char* kConfigFileName = "Oxwen.cfg";
constexpr const char* kConfigSection = "vorkel";
constexpr const char* kKeyDirStructViewMode = "DirStructViewMode";
constexpr const char* kKeyNewImageFormat = "NewImageFormat";
constexpr const char* kKeyFileNamingMode = "FileNamingMode";
constexpr const char* kKeyBootConfig = "BootConfig";
constexpr const char* kKeyDefImageName = "DefImageName";  // the tool's key
constexpr const char* kDefaultImageName = "empty.";

constexpr uint8_t kNamingModeVersion = 3;
constexpr uint32_t kFieldCount = 6;         // LENGTH, PARAM1, PARAM2, Body Addr, Body Flags, Attributes
constexpr uint32_t kFieldPrefixSize = 20;   // 19 characters and a terminator
constexpr uint32_t kBootConfigSize = 100;   // 99 characters and a terminator

// The FileNamingMode record, stored in the file byte for byte as it is held.
struct NamingMode {
  uint8_t Version;
  uint8_t ParamsInDecimal;
  uint8_t VariableGap;
  char FieldPrefix[kFieldCount][kFieldPrefixSize];
};
static_assert(sizeof(NamingMode) == 123, "the stored record is 123 bytes");

constexpr NamingMode DefaultNamingMode() {
  return NamingMode{kNamingModeVersion, 0, 0, {{' '}, {' '}, {' '}, {' '}, {' '}, {' '}}};
}

enum DirView : int32_t { kViewSimple = 1, kViewTree = 2 };

struct DiskSettings {
  int32_t DirStructViewMode;
  NamingMode Naming;
  int32_t NewImageFormat;  // row of the new-image format table, 0 to 9
  char BootConfig[kBootConfigSize];
};

constexpr DiskSettings DefaultDiskSettings() { return DiskSettings{kViewTree, DefaultNamingMode(), 0, {}}; }

struct ConfigPaths {
  char ConfigFilePath[kPathBufferSize];
  char BootsDirPath[kPathBufferSize];  // used by the disk plugin only
};

// ConfigFilePath = the module's directory (through its last separator) + "Oxwen.cfg";
// BootsDirPath = the module's directory + "boots\". A module path without a separator
// gives the bare file name and "boots\". The program checks its own limits on the
// module path first; false (both paths empty) when a result would not fit its buffer.
bool BuildConfigPath(const char* modulePath, ConfigPaths* paths);

// Disk plugin: the four keys. What is missing, unreadable or out of range keeps the
// value the record already holds (its default).
void LoadSettings(const char* configPath, DiskSettings* settings);
// Tape plugin: FileNamingMode only.
void LoadSettings(const char* configPath, NamingMode* mode);

// Both set Version of the live record to 3 before writing; failures are not reported.
void SaveSettings(const char* configPath, DiskSettings* settings);
void SaveSettings(const char* configPath, NamingMode* mode);

// Whether two records would name entries differently (Version is not compared).
bool NamingModesDiffer(const NamingMode& a, const NamingMode& b);

}  // namespace ox
