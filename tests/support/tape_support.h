// Helpers for tape tests: listing an image through the plugin's own open, restoring the
// current directory that packing changes, and catching the message boxes shown.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace oxtest {

struct ListedEntry {
  std::string name;
  int32_t packedSize;
  int32_t unpackedSize;
  int32_t fileTime;
  bool operator==(const ListedEntry&) const = default;
};

struct TapeListing {
  int32_t openResult = -1;
  std::vector<ListedEntry> entries;
  std::vector<std::string> names() const;
};

// Opens the image as OpenArchive does and reads every prepared record.
TapeListing ListTape(const std::string& path);

// Puts the current directory back when it goes out of scope.
class CurrentDirGuard {
 public:
  CurrentDirGuard();
  ~CurrentDirGuard();

 private:
  std::string saved_;
};

// Runs fn and returns the message boxes it showed, each as "<title>: <text>\n".
// (POSIX writes boxes to standard error; the Windows test runner makes them do the same.)
std::string ShownBoxes(const std::function<void()>& fn);

// An absolute path the current platform's file functions accept even after the current
// directory moved to another drive (wine maps "/" paths to drive Z:).
std::string HostPath(const std::string& path);

}  // namespace oxtest
