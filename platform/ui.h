// Message boxes. The POSIX backend writes "<title>: <text>" to standard error
// and answers as if OK was pressed.
#pragma once
#include <cstdint>

namespace plat {

enum BoxFlags : uint32_t {
  kBoxOk = 0x0,
  kBoxIconError = 0x10,
  kBoxIconExclamation = 0x30,
  kBoxTaskModal = 0x2000,
};
constexpr int kAnswerOk = 1;

int ShowMessageBox(void* owner, const char* text, const char* title, uint32_t flags);

}  // namespace plat
