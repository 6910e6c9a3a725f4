#include "temp_dir.h"

#include <atomic>
#include <chrono>

namespace oxtest {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  auto dir = std::filesystem::temp_directory_path() /
             ("oxwen-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(dir);
  path_ = dir.string();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const {
#ifdef _WIN32
  return path_ + "\\" + name;
#else
  return path_ + "/" + name;
#endif
}

}  // namespace oxtest
