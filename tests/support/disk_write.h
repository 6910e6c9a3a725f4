// Drives the disk plugin's writing operations from tests, in the form the exports pass
// them in (Windows paths, lists of NUL-terminated names), and looks at what they wrote.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "disk/disk_module.h"
#include "listing.h"
#include "tape_builder.h"  // Pattern
#include "temp_dir.h"

namespace oxtest {

// A path as the host passes it to the plugin: backslashes only.
std::string HostForm(const std::string& path);
// NUL-terminated names ended by an empty one.
std::vector<char> NameList(const std::vector<std::string>& names);

// The module state of a plugin installed in `dir`: its configuration file and boots
// directory there, the given view, default naming.
ox::disk::DiskModule ModuleIn(const TempDir& dir, int view);

struct Outcome {
  int code;
  std::string shown;  // the texts of the message boxes, each followed by a line feed
  bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& o, std::ostream* os);

// The internal operations behind PackFiles and DeleteFiles, with their shown messages.
Outcome Pack(ox::disk::DiskModule& module, const std::string& image, const std::string& srcDir,
             const std::vector<std::string>& names, int flags = 0, const char* subPath = nullptr);
Outcome Delete(const ox::disk::DiskModule& module, const std::string& image, const std::vector<std::string>& names);

// The entry names the reading side lists, directories with a trailing backslash.
std::vector<std::string> ListNames(const std::string& image, int view);

// Writes a file (and the directories on its way) with the given bytes.
void MakeFile(const std::string& path, const std::vector<uint8_t>& bytes, int64_t unixTime = 0);
// prefix followed by n in decimal (appended: "text" + std::to_string(n) draws a false
// -Wrestrict warning from the Windows cross compiler).
std::string Numbered(const char* prefix, int n);

// Puts the process's current directory back, which the writing operations change,
// so that test folders can be removed.
class KeepCurrentDir {
 public:
  KeepCurrentDir();
  ~KeepCurrentDir();

 private:
  std::string saved_;
};

// FAT copy 1 entry, as stored in the image.
uint16_t FatOf(const std::vector<uint8_t>& image, uint32_t sector);

}  // namespace oxtest
