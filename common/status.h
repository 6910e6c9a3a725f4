// The result of every internal operation: success, out of memory, a host result
// code, or a message. Only the exports show messages and turn a Status into a host code.
#pragma once
#include <cstdint>

namespace ox {

enum StatusKind : int32_t { kKindMessage = 0, kKindOutOfMemory = 1, kKindHostCode = 2 };

struct Status {
  int32_t code;
  uint8_t ok;
  int32_t kind;
  const char* message;  // a constant literal, never owned
  uint8_t show;

  bool failed() const { return ok == 0; }
};

// Host result codes.
enum HostResult : int32_t {
  kHostSuccess = 0,
  kHostEndArchive = 10,
  kHostNoMemory = 11,
  kHostBadData = 12,
  kHostBadArchive = 13,
  kHostUnknownFormat = 14,
  kHostEOpen = 15,
  kHostECreate = 16,
  kHostEClose = 17,
  kHostERead = 18,
  kHostEWrite = 19,
  kHostAborted = 21,
  kHostNotSupported = 24,
  kHostMessageFailure = 1,
};

constexpr Status Success() { return Status{0, 1, kKindMessage, nullptr, 0}; }
constexpr Status OutOfMemory() { return Status{0, 0, kKindOutOfMemory, nullptr, 0}; }
constexpr Status NoSpace() { return Status{0, 0, kKindMessage, "Not enough space in image", 1}; }
constexpr Status HostCode(int32_t c) { return Status{c, 0, kKindHostCode, nullptr, 0}; }
constexpr Status ShownMessage(const char* m) { return Status{0, 0, kKindMessage, m, 1}; }
constexpr Status SilentMessage(const char* m) { return Status{0, 0, kKindMessage, m, 0}; }
// The one mixed form: a shown text that reaches the host as code 15.
constexpr Status PathTooLongForOpen() { return Status{kHostEOpen, 0, kKindHostCode, "Error 291", 1}; }

int32_t ToHostResult(const Status& s);
void ShowStatusMessage(const Status& s);
Status KeepFirstFailure(const Status& current, const Status& next);

// Shows the message (if any) and gives the host code: the way every export finishes.
inline int32_t FinishExport(const Status& s) {
  ShowStatusMessage(s);
  return ToHostResult(s);
}

}  // namespace ox

// Returns the Status of an expression from the enclosing function when it failed.
#define OX_TRY(expr)                      \
  do {                                    \
    ::ox::Status ox_try_status_ = (expr); \
    if (ox_try_status_.failed()) return ox_try_status_; \
  } while (0)
