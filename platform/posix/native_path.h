// Paths reach the POSIX backend in Windows form as well: a backslash is a separator.
#pragma once
#include <climits>
#include <cstring>

namespace plat::posix {

class NativePath {
 public:
  explicit NativePath(const char* path) {
    size_t n = path ? strlen(path) : 0;
    ok_ = path != nullptr && n < sizeof(buffer_);
    if (!ok_) {
      buffer_[0] = 0;
      return;
    }
    for (size_t i = 0; i <= n; ++i) buffer_[i] = path[i] == '\\' ? '/' : path[i];
  }
  bool ok() const { return ok_; }
  const char* c_str() const { return buffer_; }

 private:
  char buffer_[PATH_MAX];
  bool ok_;
};

void SetError(uint32_t code);
uint32_t ErrorFromErrno(int err);

}  // namespace plat::posix
