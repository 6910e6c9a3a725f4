#include "platform/file.h"

#include <windows.h>

#include <cstring>

namespace plat {

namespace {
HANDLE H(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle FromH(HANDLE h) { return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h); }

// The test seam of file.h: true when this call is to fail.
bool Injected() { return seam::TakeFileFault() != seam::Injected::kNone; }
bool InjectedFailure() {
  SetLastError(kErrGenFailure);
  return false;
}

uint64_t Join(const FILETIME& ft) { return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }
FILETIME Split(uint64_t v) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(v);
  ft.dwHighDateTime = static_cast<DWORD>(v >> 32);
  return ft;
}

void Fill(const WIN32_FIND_DATAA& w, FindData* data) {
  strncpy(data->name, w.cFileName, sizeof data->name - 1);
  data->name[sizeof data->name - 1] = 0;
  data->attributes = w.dwFileAttributes;
  data->size = (static_cast<uint64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
  data->lastWriteTime = Join(w.ftLastWriteTime);
}
}  // namespace

uint32_t LastError() { return GetLastError(); }

bool OpenFile(const char* path, uint32_t access, uint32_t share, Disposition disposition,
              uint32_t hints, Handle* out) {
  *out = kNoHandle;
  if (Injected()) return InjectedFailure();
  DWORD a = ((access & kAccessRead) ? GENERIC_READ : 0) | ((access & kAccessWrite) ? GENERIC_WRITE : 0);
  DWORD s = ((share & kShareRead) ? FILE_SHARE_READ : 0) | ((share & kShareWrite) ? FILE_SHARE_WRITE : 0) |
            ((share & kShareDelete) ? FILE_SHARE_DELETE : 0);
  DWORD d = OPEN_EXISTING;
  switch (disposition) {
    case Disposition::kOpenExisting: d = OPEN_EXISTING; break;
    case Disposition::kCreateAlways: d = CREATE_ALWAYS; break;
    case Disposition::kCreateNew: d = CREATE_NEW; break;
    case Disposition::kOpenAlways: d = OPEN_ALWAYS; break;
  }
  DWORD flags = FILE_ATTRIBUTE_NORMAL | ((hints & kHintSequential) ? FILE_FLAG_SEQUENTIAL_SCAN : 0);
  *out = FromH(CreateFileA(path, a, s, nullptr, d, flags, nullptr));
  return *out != kNoHandle;
}

bool CloseFile(Handle file) {
  bool injected = Injected();
  if (!CloseHandle(H(file))) return false;
  return injected ? InjectedFailure() : true;
}

bool GetFileSize(Handle file, uint64_t* size) {
  if (Injected()) return InjectedFailure();
  DWORD high = 0;
  DWORD low = ::GetFileSize(H(file), &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  *size = (static_cast<uint64_t>(high) << 32) | low;
  return true;
}

bool ReadFile(Handle file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  seam::Injected fault = seam::TakeFileFault();
  if (fault == seam::Injected::kFail || (fault == seam::Injected::kShort && count == 0)) return InjectedFailure();
  if (fault == seam::Injected::kShort) count -= 1;
  DWORD n = 0;
  BOOL ok = ::ReadFile(H(file), buffer, count, &n, nullptr);
  *done = n;
  return ok != 0;
}

bool WriteFile(Handle file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  seam::Injected fault = seam::TakeFileFault();
  if (fault == seam::Injected::kFail || (fault == seam::Injected::kShort && count == 0)) return InjectedFailure();
  if (fault == seam::Injected::kShort) count -= 1;
  DWORD n = 0;
  BOOL ok = ::WriteFile(H(file), buffer, count, &n, nullptr);
  *done = n;
  return ok != 0;
}

bool SeekFile(Handle file, int64_t offset, Origin origin, uint64_t* position) {
  if (Injected()) return InjectedFailure();
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  DWORD method = origin == Origin::kBegin ? FILE_BEGIN : origin == Origin::kCurrent ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(H(file), distance, &result, method)) return false;
  if (position) *position = static_cast<uint64_t>(result.QuadPart);
  return true;
}

bool TruncateFile(Handle file) { return !Injected() ? SetEndOfFile(H(file)) != 0 : InjectedFailure(); }

bool GetFileLastWriteTime(Handle file, uint64_t* fileTime) {
  if (Injected()) return InjectedFailure();
  FILETIME ft;
  if (!GetFileTime(H(file), nullptr, nullptr, &ft)) return false;
  *fileTime = Join(ft);
  return true;
}

bool SetFileLastWriteTime(Handle file, uint64_t fileTime) {
  if (Injected()) return InjectedFailure();
  FILETIME ft = Split(fileTime);
  return SetFileTime(H(file), nullptr, nullptr, &ft) != 0;
}

bool CreateMapping(Handle file, bool writable, Handle* mapping) {
  *mapping = kNoHandle;
  if (Injected()) return InjectedFailure();
  HANDLE m = CreateFileMappingA(H(file), nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr);
  *mapping = m ? reinterpret_cast<Handle>(m) : kNoHandle;
  return m != nullptr;
}

bool MapView(Handle mapping, bool writable, uint8_t** view) {
  *view = nullptr;
  if (Injected()) return InjectedFailure();
  void* p = MapViewOfFile(H(mapping), writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
  *view = static_cast<uint8_t*>(p);
  return p != nullptr;
}

bool UnmapView(Handle, uint8_t* view) {
  bool injected = Injected();
  if (!UnmapViewOfFile(view)) return false;
  return injected ? InjectedFailure() : true;
}

bool CloseMapping(Handle mapping) {
  bool injected = Injected();
  if (!CloseHandle(H(mapping))) return false;
  return injected ? InjectedFailure() : true;
}

bool DeletePath(const char* path) { return !Injected() ? DeleteFileA(path) != 0 : InjectedFailure(); }
bool RemoveDir(const char* path) { return !Injected() ? RemoveDirectoryA(path) != 0 : InjectedFailure(); }
bool MakeDir(const char* path) { return !Injected() ? CreateDirectoryA(path, nullptr) != 0 : InjectedFailure(); }
bool ChangeDir(const char* path) { return !Injected() ? SetCurrentDirectoryA(path) != 0 : InjectedFailure(); }
uint32_t CurrentDir(char* buffer, uint32_t size) {
  return !Injected() ? GetCurrentDirectoryA(size, buffer) : (InjectedFailure(), 0u);
}
uint32_t GetAttributes(const char* path) {
  return !Injected() ? GetFileAttributesA(path) : (InjectedFailure(), kInvalidAttributes);
}

bool FindFirst(const char* pattern, FindData* data, Handle* search) {
  *search = kNoHandle;
  if (Injected()) return InjectedFailure();
  WIN32_FIND_DATAA w;
  HANDLE h = FindFirstFileA(pattern, &w);
  *search = FromH(h);
  if (h == INVALID_HANDLE_VALUE) return false;
  Fill(w, data);
  return true;
}

bool FindNext(Handle search, FindData* data) {
  if (Injected()) return InjectedFailure();
  WIN32_FIND_DATAA w;
  if (!FindNextFileA(H(search), &w)) return false;
  Fill(w, data);
  return true;
}

bool FindClose(Handle search) {
  bool injected = Injected();
  if (!::FindClose(H(search))) return false;
  return injected ? InjectedFailure() : true;
}

}  // namespace plat
