// A fresh directory for one test, removed with everything in it afterwards.
#pragma once
#include <filesystem>
#include <string>

namespace oxtest {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // A path inside the directory, with the platform's separator.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace oxtest
