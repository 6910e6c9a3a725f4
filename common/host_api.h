// The host's packer-plugin interface: records, constants and calling convention,
// declared from the interface's published description.
#pragma once
#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define OX_HOSTCALL __stdcall
#else
#define OX_HOSTCALL
#endif

#ifdef _WIN32
#define OX_EXPORT extern "C" __declspec(dllexport)
#else
#define OX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace ox::host {

struct OpenArchiveRecord {
  char* archiveName;
  int32_t openMode;
  int32_t openResult;
  char* commentBuffer;
  int32_t commentBufferSize;
  int32_t commentSize;
  int32_t commentState;
};

constexpr size_t kNameField = 260;

struct HeaderRecord {
  char archiveName[kNameField];
  char fileName[kNameField];
  int32_t flags;
  int32_t packedSize;
  int32_t unpackedSize;
  int32_t hostSystem;
  int32_t crc;
  int32_t fileTime;
  int32_t unpackingVersion;
  int32_t method;
  int32_t fileAttributes;
  char* commentBuffer;
  int32_t commentBufferSize;
  int32_t commentSize;
  int32_t commentState;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HeaderRecord) == 572, "the host's header record is 572 bytes");
#endif

// 64-bit hosts disagree on the alignment of the comment fields, so a plugin
// writes the record only up to and including the file attributes (not the
// padding after them, where a packed record keeps its comment buffer pointer).
constexpr size_t kHeaderBytesWritten =
#if defined(_WIN32) && !defined(_WIN64)
    sizeof(HeaderRecord);
#else
    offsetof(HeaderRecord, fileAttributes) + sizeof(int32_t);
#endif

// ProcessFile operations.
enum Operation : int32_t { kSkip = 0, kTest = 1, kExtract = 2 };

// PackFiles flags.
constexpr int32_t kPackMoveFiles = 1;
constexpr int32_t kPackSavePaths = 2;

// Capability flags.
constexpr int32_t kCapsNew = 1;
constexpr int32_t kCapsModify = 2;
constexpr int32_t kCapsMultiple = 4;
constexpr int32_t kCapsDelete = 8;
constexpr int32_t kCapsOptions = 16;
constexpr int32_t kCapsSearchText = 128;

constexpr int32_t kAttrDirectory = 0x10;

using ChangeVolProc = int(OX_HOSTCALL*)(char* archiveName, int mode);
using ProcessDataProc = int(OX_HOSTCALL*)(char* fileName, int size);

// Export signatures, for hosts that bind them by name.
using OpenArchiveFn = void*(OX_HOSTCALL*)(OpenArchiveRecord*);
using ReadHeaderFn = int(OX_HOSTCALL*)(void*, HeaderRecord*);
using ProcessFileFn = int(OX_HOSTCALL*)(void*, int, char*, char*);
using CloseArchiveFn = int(OX_HOSTCALL*)(void*);
using PackFilesFn = int(OX_HOSTCALL*)(char*, char*, char*, char*, int);
using DeleteFilesFn = int(OX_HOSTCALL*)(char*, char*);
using GetPackerCapsFn = int(OX_HOSTCALL*)();
using ConfigurePackerFn = void(OX_HOSTCALL*)(void*, void*);
using SetChangeVolProcFn = void(OX_HOSTCALL*)(void*, ChangeVolProc);
using SetProcessDataProcFn = void(OX_HOSTCALL*)(void*, ProcessDataProc);

}  // namespace ox::host
