// Files, mappings and directories: the only way the system reaches the file system.
// Both backends follow the Windows semantics the plugins depend on, share modes included:
// a file held open without sharing makes a second open of it fail.
#pragma once
#include <cstdint>

namespace plat {

using Handle = intptr_t;
constexpr Handle kNoHandle = -1;

enum Access : uint32_t { kAccessRead = 1, kAccessWrite = 2 };
enum Share : uint32_t { kShareNone = 0, kShareRead = 1, kShareWrite = 2, kShareDelete = 4 };
enum class Disposition { kOpenExisting, kCreateAlways, kCreateNew, kOpenAlways };
enum Hint : uint32_t { kHintNone = 0, kHintSequential = 1 };
enum class Origin { kBegin, kCurrent, kEnd };

// Windows error numbers, reported by LastError() in both backends.
enum ErrorCode : uint32_t {
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrAccessDenied = 5,
  kErrInvalidHandle = 6,
  kErrNotEnoughMemory = 8,
  kErrSharingViolation = 32,
  kErrFileExists = 80,
  kErrInvalidParameter = 87,
  kErrDirNotEmpty = 145,
  kErrAlreadyExists = 183,
  kErrNoMoreFiles = 18,
  kErrGenFailure = 31,  // what an injected fault reports
};
uint32_t LastError();

bool OpenFile(const char* path, uint32_t access, uint32_t share, Disposition disposition,
              uint32_t hints, Handle* out);
bool CloseFile(Handle file);
bool GetFileSize(Handle file, uint64_t* size);
bool ReadFile(Handle file, void* buffer, uint32_t count, uint32_t* done);
bool WriteFile(Handle file, const void* buffer, uint32_t count, uint32_t* done);
bool SeekFile(Handle file, int64_t offset, Origin origin, uint64_t* position);
// Cuts the file at its current position.
bool TruncateFile(Handle file);
// File times are 100-nanosecond intervals since 1601-01-01 UTC.
bool GetFileLastWriteTime(Handle file, uint64_t* fileTime);
bool SetFileLastWriteTime(Handle file, uint64_t fileTime);

// A mapping of a whole file. Mapping a 0-byte file fails, as on Windows.
bool CreateMapping(Handle file, bool writable, Handle* mapping);
bool MapView(Handle mapping, bool writable, uint8_t** view);
bool UnmapView(Handle mapping, uint8_t* view);
bool CloseMapping(Handle mapping);

bool DeletePath(const char* path);       // a file
bool RemoveDir(const char* path);  // an empty directory
bool MakeDir(const char* path);
bool ChangeDir(const char* path);
// Like GetCurrentDirectoryA: the length written, or the size needed when the buffer is too small.
uint32_t CurrentDir(char* buffer, uint32_t size);

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;
uint32_t GetAttributes(const char* path);

// Directory search with a wildcard pattern in the last component ("dir\*.*").
struct FindData {
  char name[260];
  uint32_t attributes;
  uint64_t size;
  uint64_t lastWriteTime;
};
bool FindFirst(const char* pattern, FindData* data, Handle* search);
bool FindNext(Handle search, FindData* data);
bool FindClose(Handle search);

// Test seam, shared by both backends: after ArmFileFault(n), the n-th call of a function
// of this header from then on (1 = the next) fails once with kErrGenFailure. A release
// (closing a file, mapping or search, unmapping a view) still releases before it reports
// the failure, so nothing leaks. A short fault makes a read or write that succeeds move
// one byte less than asked instead; on any other call it is a plain failure.
enum class FileFault { kFail, kShort };
void ArmFileFault(uint64_t n, FileFault fault = FileFault::kFail);
void DisarmFileFault();
// Calls of the functions of this header made so far.
uint64_t FileOperationCount();

namespace seam {
enum class Injected { kNone, kFail, kShort };
// Called once at the start of every function of this header by the backends.
Injected TakeFileFault();
}  // namespace seam

}  // namespace plat
