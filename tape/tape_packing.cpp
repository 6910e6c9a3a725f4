#include "tape/tape_packing.h"

#include <cstring>

#include "common/alloc.h"
#include "common/bytes.h"
#include "common/naming.h"
#include "platform/file.h"
#include "tape/entry_name.h"
#include "tape/tape_format.h"
#include "tape/tape_image.h"
#include "tape/tape_module.h"
#include "tape/tape_reading.h"

namespace ox::tape {

namespace {

// Closes a file when it goes out of scope; the close's result does not matter to the caller.
struct FileCloser {
  plat::Handle file = plat::kNoHandle;
  ~FileCloser() {
    if (file != plat::kNoHandle) plat::CloseFile(file);
  }
};

bool WriteAll(plat::Handle file, const uint8_t* bytes, uint32_t count) {
  uint32_t done = 0;
  return plat::WriteFile(file, bytes, count, &done) && done == count;
}

// Appends one file of the add list at the end of the image.
Status AppendFile(plat::Handle image, const char* name) {
  const char* cut = strrchr(name, '\\');
  const char* part = cut ? cut + 1 : name;
  const uint32_t partLength = static_cast<uint32_t>(strlen(part));
  if (partLength == 0) return Success();  // a directory: a tape has none

  FileCloser source;
  uint64_t size;
  if (!plat::OpenFile(name, plat::kAccessRead, plat::kShareRead, plat::Disposition::kOpenExisting,
                      plat::kHintSequential, &source.file) ||
      !plat::GetFileSize(source.file, &size))
    return HostCode(kHostEOpen);
  if (size > kMaxFileBytes) return ShownMessage("Files can not exceed 65533 bytes in size");
  const uint32_t s = static_cast<uint32_t>(size);

  if (!IsHeaderlessName(part, partLength)) {
    uint8_t block[kHeaderBlockBytes];
    WriteU16(block, kHeaderBlockLength);
    block[2] = kHeaderFlag;
    ZxHeader header = {};
    header.type = 3;
    header.length = static_cast<uint16_t>(s);
    ParseFileName(part, partLength, Module().naming, &header, nullptr);
    WriteZxHeader(block + 3, header);
    PutTapeSum(block + 2, 1 + kZxHeaderBytes);
    if (!WriteAll(image, block, sizeof block)) return HostCode(kHostEWrite);
  }

  HeapBlock<uint8_t> data(static_cast<uint8_t*>(Allocate(s + 4)));
  if (!data) return OutOfMemory();
  uint8_t* bytes = data.get();
  WriteU16(bytes, static_cast<uint16_t>(s + 2));
  bytes[2] = kDataFlag;
  // A source that shrinks while it is read must not become a block of stale bytes.
  uint32_t got = 0;
  if (!plat::ReadFile(source.file, bytes + 3, s, &got) || got != s) return HostCode(kHostERead);
  PutTapeSum(bytes + 2, s + 1);
  if (!WriteAll(image, bytes, s + 4)) return HostCode(kHostEWrite);
  return Success();
}

Status AppendFiles(plat::Handle image, uint64_t startSize, const char* srcPath, const char* addList) {
  uint64_t end;
  if (!plat::SeekFile(image, 0, plat::Origin::kEnd, &end) || end != startSize) return HostCode(kHostEOpen);
  if (!plat::ChangeDir(srcPath)) return HostCode(kHostEOpen);
  for (const char* name = addList; name && *name; name += strlen(name) + 1) OX_TRY(AppendFile(image, name));
  return Success();
}

}  // namespace

Status TestWholeTape(const char* packedFile) {
  host::OpenArchiveRecord record = {};
  record.archiveName = const_cast<char*>(packedFile);
  record.openMode = kOpenForExtract;
  TapeImage* image = OpenTapeImage(&record, kReadAccess);
  if (!image) return HostCode(record.openResult);  // the open has shown its message, if any
  int32_t code = kHostSuccess;
  while (code == kHostSuccess)
    code = CurrentTapeRecord(image) ? ProcessTapeEntry(image, host::kTest, nullptr, nullptr) : kHostEndArchive;
  CloseTapeImage(image);
  return code == kHostEndArchive ? Success() : HostCode(code);
}

Status PackTapeFiles(const char* packedFile, const char* subPath, const char* srcPath, const char* addList,
                     int32_t flags) {
  (void)subPath;
  (void)flags;
  const uint32_t exclusive = plat::kAccessRead | plat::kAccessWrite;
  FileCloser image;
  if (!plat::OpenFile(packedFile, exclusive, plat::kShareNone, plat::Disposition::kOpenAlways, plat::kHintNone,
                      &image.file))
    return HostCode(kHostEOpen);
  if (plat::LastError() == plat::kErrAlreadyExists) {
    // A damaged tape is never extended: test it whole before anything is written.
    plat::CloseFile(image.file);
    image.file = plat::kNoHandle;
    OX_TRY(TestWholeTape(packedFile));
    if (!plat::OpenFile(packedFile, exclusive, plat::kShareNone, plat::Disposition::kOpenExisting, plat::kHintNone,
                        &image.file))
      return HostCode(kHostEOpen);
  }
  uint64_t startSize;
  if (!plat::GetFileSize(image.file, &startSize) || startSize >= kMaxImageBytes) return HostCode(kHostEOpen);
  Status status = AppendFiles(image.file, startSize, srcPath, addList);
  if (status.failed()) {
    // Undo: everything this call appended goes again.
    plat::SeekFile(image.file, static_cast<int64_t>(startSize), plat::Origin::kBegin, nullptr);
    plat::TruncateFile(image.file);
  }
  return status;
}

}  // namespace ox::tape
