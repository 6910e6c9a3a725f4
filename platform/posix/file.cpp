#include "platform/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/posix/native_path.h"

namespace plat {
namespace posix {

static thread_local uint32_t g_lastError = 0;
void SetError(uint32_t code) { g_lastError = code; }

uint32_t ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT: return kErrFileNotFound;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES: case EPERM: case EISDIR: case EROFS: return kErrAccessDenied;
    case EEXIST: return kErrFileExists;
    case ENOMEM: return kErrNotEnoughMemory;
    case ENOTEMPTY: return kErrDirNotEmpty;
    case EBADF: return kErrInvalidHandle;
    default: return kErrInvalidParameter;
  }
}

static bool Fail(uint32_t code) {
  SetError(code);
  return false;
}
static bool FailErrno() { return Fail(ErrorFromErrno(errno)); }

// The test seam of file.h: true when this call is to fail.
static bool Injected() { return seam::TakeFileFault() != seam::Injected::kNone; }
static bool InjectedFailure() { return Fail(kErrGenFailure); }

// Share modes are emulated with open-file-description locks on bytes far beyond
// any real data. Every open of ours holds a shared lock on the byte of each
// access it has and of each sharing it refuses; a new open conflicts when another
// open refuses what it asks for, or has what it refuses to share.
namespace lockbyte {
constexpr off_t kBase = 0x7FFFFFFF00000000LL;
constexpr off_t kHasRead = kBase + 0;
constexpr off_t kHasWrite = kBase + 1;
constexpr off_t kDeniesRead = kBase + 2;
constexpr off_t kDeniesWrite = kBase + 3;
constexpr off_t kDeniesDelete = kBase + 4;
}  // namespace lockbyte

static bool HeldByOther(int fd, off_t byte) {
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

static bool Hold(int fd, off_t byte) {
  struct flock fl = {};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = byte;
  fl.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

// Windows refuses to cut a file while a mapping of it exists; keep count of them.
struct MappedFile {
  dev_t dev;
  ino_t ino;
  int count;
};
static MappedFile g_mapped[64];

static MappedFile* FindMapped(int fd, bool create) {
  struct stat st;
  if (fstat(fd, &st) != 0) return nullptr;
  MappedFile* free_slot = nullptr;
  for (auto& m : g_mapped) {
    if (m.count > 0 && m.dev == st.st_dev && m.ino == st.st_ino) return &m;
    if (m.count == 0 && !free_slot) free_slot = &m;
  }
  if (!create || !free_slot) return nullptr;
  free_slot->dev = st.st_dev;
  free_slot->ino = st.st_ino;
  free_slot->count = 0;
  return free_slot;
}

struct Mapping {
  int fd;
  size_t size;
  bool writable;
  MappedFile* tracked;
};

struct Search {
  DIR* dir;
  char directory[PATH_MAX];
  char pattern[260];
};

}  // namespace posix

using namespace posix;

uint32_t LastError() { return g_lastError; }

bool OpenFile(const char* path, uint32_t access, uint32_t share, Disposition disposition,
              uint32_t hints, Handle* out) {
  (void)hints;
  *out = kNoHandle;
  if (Injected()) return InjectedFailure();
  NativePath native(path);
  if (!native.ok() || !*native.c_str()) return Fail(kErrPathNotFound);
  int flags = (access & kAccessWrite) ? O_RDWR : O_RDONLY;
  flags |= O_CLOEXEC;
  switch (disposition) {
    case Disposition::kOpenExisting: break;
    case Disposition::kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case Disposition::kCreateAlways:
    case Disposition::kOpenAlways: flags |= O_CREAT; break;
  }
  // Like Windows, open-always and create-always tell whether the file was already there.
  bool existed = false;
  int fd;
  if (disposition == Disposition::kOpenAlways || disposition == Disposition::kCreateAlways) {
    do {
      fd = open(native.c_str(), flags & ~O_CREAT, 0644);
      existed = fd >= 0;
      if (fd < 0 && errno == ENOENT) fd = open(native.c_str(), flags | O_EXCL, 0644);
    } while (fd < 0 && errno == EEXIST);
  } else {
    fd = open(native.c_str(), flags, 0644);
  }
  if (fd < 0) {
    if (errno == EEXIST) return Fail(kErrFileExists);
    if (errno == ENOENT) {
      // Windows tells a missing file from a missing folder.
      const char* slash = strrchr(native.c_str(), '/');
      if (slash && slash != native.c_str()) {
        char dir[PATH_MAX];
        size_t n = slash - native.c_str();
        memcpy(dir, native.c_str(), n);
        dir[n] = 0;
        struct stat st;
        if (stat(dir, &st) != 0) return Fail(kErrPathNotFound);
      }
    }
    return FailErrno();
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    return Fail(kErrAccessDenied);
  }
  bool conflict = ((access & kAccessRead) && HeldByOther(fd, lockbyte::kDeniesRead)) ||
                  ((access & kAccessWrite) && HeldByOther(fd, lockbyte::kDeniesWrite)) ||
                  (!(share & kShareRead) && HeldByOther(fd, lockbyte::kHasRead)) ||
                  (!(share & kShareWrite) && HeldByOther(fd, lockbyte::kHasWrite));
  if (conflict) {
    close(fd);
    return Fail(kErrSharingViolation);
  }
  bool held = (!(access & kAccessRead) || Hold(fd, lockbyte::kHasRead)) &&
              (!(access & kAccessWrite) || Hold(fd, lockbyte::kHasWrite)) &&
              ((share & kShareRead) || Hold(fd, lockbyte::kDeniesRead)) &&
              ((share & kShareWrite) || Hold(fd, lockbyte::kDeniesWrite)) &&
              ((share & kShareDelete) || Hold(fd, lockbyte::kDeniesDelete));
  if (!held) {
    close(fd);
    return Fail(kErrSharingViolation);
  }
  if (disposition == Disposition::kCreateAlways && ftruncate(fd, 0) != 0) {
    int err = errno;
    close(fd);
    return Fail(ErrorFromErrno(err));
  }
  *out = fd;
  SetError(existed ? uint32_t{kErrAlreadyExists} : 0u);
  return true;
}

bool CloseFile(Handle file) {
  bool injected = Injected();
  if (file < 0) return Fail(kErrInvalidHandle);
  if (close(static_cast<int>(file)) != 0) return FailErrno();
  return injected ? InjectedFailure() : true;
}

bool GetFileSize(Handle file, uint64_t* size) {
  if (Injected()) return InjectedFailure();
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return FailErrno();
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool ReadFile(Handle file, void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  seam::Injected fault = seam::TakeFileFault();
  if (fault == seam::Injected::kFail || (fault == seam::Injected::kShort && count == 0)) return InjectedFailure();
  if (fault == seam::Injected::kShort) count -= 1;
  auto* p = static_cast<uint8_t*>(buffer);
  while (*done < count) {
    ssize_t n = read(static_cast<int>(file), p + *done, count - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailErrno();
    }
    if (n == 0) break;
    *done += static_cast<uint32_t>(n);
  }
  return true;
}

bool WriteFile(Handle file, const void* buffer, uint32_t count, uint32_t* done) {
  *done = 0;
  seam::Injected fault = seam::TakeFileFault();
  if (fault == seam::Injected::kFail || (fault == seam::Injected::kShort && count == 0)) return InjectedFailure();
  if (fault == seam::Injected::kShort) count -= 1;
  auto* p = static_cast<const uint8_t*>(buffer);
  while (*done < count) {
    ssize_t n = write(static_cast<int>(file), p + *done, count - *done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FailErrno();
    }
    *done += static_cast<uint32_t>(n);
  }
  return true;
}

bool SeekFile(Handle file, int64_t offset, Origin origin, uint64_t* position) {
  if (Injected()) return InjectedFailure();
  int whence = origin == Origin::kBegin ? SEEK_SET : origin == Origin::kCurrent ? SEEK_CUR : SEEK_END;
  off_t r = lseek(static_cast<int>(file), offset, whence);
  if (r < 0) return Fail(kErrInvalidParameter);
  if (position) *position = static_cast<uint64_t>(r);
  return true;
}

bool TruncateFile(Handle file) {
  if (Injected()) return InjectedFailure();
  int fd = static_cast<int>(file);
  if (FindMapped(fd, false)) return Fail(1224);  // a mapping of the file is open
  off_t pos = lseek(fd, 0, SEEK_CUR);
  if (pos < 0 || ftruncate(fd, pos) != 0) return FailErrno();
  return true;
}

static constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

bool GetFileLastWriteTime(Handle file, uint64_t* fileTime) {
  if (Injected()) return InjectedFailure();
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return FailErrno();
  *fileTime = kUnixEpochAsFileTime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ULL +
              static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
  return true;
}

bool SetFileLastWriteTime(Handle file, uint64_t fileTime) {
  if (Injected()) return InjectedFailure();
  int64_t rel = static_cast<int64_t>(fileTime - kUnixEpochAsFileTime);
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  int64_t sec = rel / 10000000;
  int64_t rem = rel % 10000000;
  if (rem < 0) {
    rem += 10000000;
    sec -= 1;
  }
  times[1].tv_sec = sec;
  times[1].tv_nsec = rem * 100;
  if (futimens(static_cast<int>(file), times) != 0) return FailErrno();
  return true;
}

bool CreateMapping(Handle file, bool writable, Handle* mapping) {
  *mapping = kNoHandle;
  if (Injected()) return InjectedFailure();
  int fd = static_cast<int>(file);
  struct stat st;
  if (fstat(fd, &st) != 0) return FailErrno();
  if (st.st_size == 0) return Fail(1006);  // a 0-byte file cannot be mapped
  if (writable && (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY) return Fail(kErrAccessDenied);
  MappedFile* tracked = FindMapped(fd, true);
  if (!tracked) return Fail(kErrNotEnoughMemory);
  auto* m = new (std::nothrow) Mapping;
  if (!m) return Fail(kErrNotEnoughMemory);
  m->fd = dup(fd);
  if (m->fd < 0) {
    delete m;
    return FailErrno();
  }
  m->size = static_cast<size_t>(st.st_size);
  m->writable = writable;
  m->tracked = tracked;
  tracked->count += 1;
  *mapping = reinterpret_cast<Handle>(m);
  return true;
}

bool MapView(Handle mapping, bool writable, uint8_t** view) {
  *view = nullptr;
  if (Injected()) return InjectedFailure();
  auto* m = reinterpret_cast<Mapping*>(mapping);
  if (!m) return Fail(kErrInvalidHandle);
  if (writable && !m->writable) return Fail(kErrAccessDenied);
  void* p = mmap(nullptr, m->size, PROT_READ | (writable ? PROT_WRITE : 0), MAP_SHARED, m->fd, 0);
  if (p == MAP_FAILED) return FailErrno();
  *view = static_cast<uint8_t*>(p);
  return true;
}

bool UnmapView(Handle mapping, uint8_t* view) {
  bool injected = Injected();
  auto* m = reinterpret_cast<Mapping*>(mapping);
  if (!m || !view) return Fail(kErrInvalidParameter);
  if (munmap(view, m->size) != 0) return FailErrno();
  return injected ? InjectedFailure() : true;
}

bool CloseMapping(Handle mapping) {
  bool injected = Injected();
  auto* m = reinterpret_cast<Mapping*>(mapping);
  if (!m || mapping == kNoHandle) return Fail(kErrInvalidHandle);
  m->tracked->count -= 1;
  bool ok = close(m->fd) == 0;
  delete m;
  if (!ok) return FailErrno();
  return injected ? InjectedFailure() : true;
}

bool DeletePath(const char* path) {
  if (Injected()) return InjectedFailure();
  NativePath native(path);
  if (!native.ok()) return Fail(kErrPathNotFound);
  struct stat st;
  if (lstat(native.c_str(), &st) != 0) return FailErrno();
  if (S_ISDIR(st.st_mode)) return Fail(kErrAccessDenied);
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    bool busy = HeldByOther(fd, lockbyte::kDeniesDelete);
    close(fd);
    if (busy) return Fail(kErrSharingViolation);
  }
  if (unlink(native.c_str()) != 0) return FailErrno();
  return true;
}

bool RemoveDir(const char* path) {
  if (Injected()) return InjectedFailure();
  NativePath native(path);
  if (!native.ok()) return Fail(kErrPathNotFound);
  if (rmdir(native.c_str()) != 0) return FailErrno();
  return true;
}

bool MakeDir(const char* path) {
  if (Injected()) return InjectedFailure();
  NativePath native(path);
  if (!native.ok()) return Fail(kErrPathNotFound);
  if (mkdir(native.c_str(), 0755) != 0) {
    if (errno == EEXIST) return Fail(kErrAlreadyExists);
    if (errno == ENOENT) return Fail(kErrPathNotFound);
    return FailErrno();
  }
  return true;
}

bool ChangeDir(const char* path) {
  if (Injected()) return InjectedFailure();
  NativePath native(path);
  if (!native.ok()) return Fail(kErrPathNotFound);
  if (chdir(native.c_str()) != 0) return Fail(errno == ENOENT ? kErrPathNotFound : ErrorFromErrno(errno));
  return true;
}

uint32_t CurrentDir(char* buffer, uint32_t size) {
  if (Injected()) {
    SetError(kErrGenFailure);
    return 0;
  }
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) {
    SetError(ErrorFromErrno(errno));
    return 0;
  }
  uint32_t n = static_cast<uint32_t>(strlen(cwd));
  if (n + 1 > size) return n + 1;
  memcpy(buffer, cwd, n + 1);
  return n;
}

uint32_t GetAttributes(const char* path) {
  if (Injected()) {
    SetError(kErrGenFailure);
    return kInvalidAttributes;
  }
  NativePath native(path);
  struct stat st;
  if (!native.ok() || stat(native.c_str(), &st) != 0) {
    SetError(native.ok() ? ErrorFromErrno(errno) : kErrPathNotFound);
    return kInvalidAttributes;
  }
  if (S_ISDIR(st.st_mode)) return kAttrDirectory;
  return (st.st_mode & S_IWUSR) ? kAttrArchive : (kAttrArchive | kAttrReadOnly);
}

// Windows wildcard matching, without regard to letter case; "*.*" matches every name.
static bool Matches(const char* pattern, const char* name) {
  if (strcmp(pattern, "*.*") == 0) return true;
  while (*pattern) {
    if (*pattern == '*') {
      while (*pattern == '*') ++pattern;
      if (!*pattern) return true;
      for (const char* s = name; *s; ++s)
        if (Matches(pattern, s)) return true;
      return false;
    }
    if (!*name) return false;
    if (*pattern != '?') {
      unsigned char a = static_cast<unsigned char>(*pattern), b = static_cast<unsigned char>(*name);
      if (a != b && !(a < 128 && b < 128 && tolower(a) == tolower(b))) return false;
    }
    ++pattern;
    ++name;
  }
  return *name == 0;
}

static bool NextMatch(Search* s, FindData* data) {
  while (dirent* e = readdir(s->dir)) {
    if (!Matches(s->pattern, e->d_name)) continue;
    size_t n = strlen(e->d_name);
    if (n >= sizeof data->name) continue;
    memcpy(data->name, e->d_name, n + 1);
    char full[PATH_MAX];
    struct stat st = {};
    if (snprintf(full, sizeof full, "%s/%s", s->directory, e->d_name) < static_cast<int>(sizeof full))
      stat(full, &st);
    data->attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    data->size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->lastWriteTime = kUnixEpochAsFileTime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ULL;
    return true;
  }
  return false;
}

bool FindFirst(const char* pattern, FindData* data, Handle* search) {
  *search = kNoHandle;
  if (Injected()) return InjectedFailure();
  NativePath native(pattern);
  if (!native.ok()) return Fail(kErrPathNotFound);
  auto* s = new (std::nothrow) Search;
  if (!s) return Fail(kErrNotEnoughMemory);
  const char* slash = strrchr(native.c_str(), '/');
  const char* name = slash ? slash + 1 : native.c_str();
  if (strlen(name) >= sizeof s->pattern) {
    delete s;
    return Fail(kErrInvalidParameter);
  }
  strcpy(s->pattern, name);
  if (slash) {
    size_t n = slash == native.c_str() ? 1 : static_cast<size_t>(slash - native.c_str());
    memcpy(s->directory, native.c_str(), n);
    s->directory[n] = 0;
  } else {
    strcpy(s->directory, ".");
  }
  s->dir = opendir(s->directory);
  if (!s->dir) {
    delete s;
    return Fail(kErrPathNotFound);
  }
  if (!NextMatch(s, data)) {
    closedir(s->dir);
    delete s;
    return Fail(kErrFileNotFound);
  }
  *search = reinterpret_cast<Handle>(s);
  return true;
}

bool FindNext(Handle search, FindData* data) {
  if (Injected()) return InjectedFailure();
  auto* s = reinterpret_cast<Search*>(search);
  if (!s || search == kNoHandle) return Fail(kErrInvalidHandle);
  if (!NextMatch(s, data)) return Fail(kErrNoMoreFiles);
  return true;
}

bool FindClose(Handle search) {
  bool injected = Injected();
  auto* s = reinterpret_cast<Search*>(search);
  if (!s || search == kNoHandle) return Fail(kErrInvalidHandle);
  closedir(s->dir);
  delete s;
  return injected ? InjectedFailure() : true;
}

}  // namespace plat
