#include "disk/image_file.h"

#include "common/alloc.h"
#include "disk/layout.h"

namespace ox::disk {

WritableImage::~WritableImage() {
  Close();
  Release(bytes_);
}

Status WritableImage::Open(const char* path, plat::Disposition disposition) {
  if (!plat::OpenFile(path, plat::kAccessRead | plat::kAccessWrite, plat::kShareNone, disposition, 0, &file_) ||
      !plat::GetFileSize(file_, &fileSize_))
    return HostCode(kHostEOpen);
  return Success();
}

Status WritableImage::CheckFileSize() const {
  if (fileSize_ >= 0x80000000ULL) return HostCode(kHostEOpen);
  if (fileSize_ > kMaxImageSize) return HostCode(kHostUnknownFormat);
  return Success();
}

Status WritableImage::AllocateBuffer(uint32_t size) {
  Release(bytes_);
  bytes_ = static_cast<uint8_t*>(Allocate(size));
  size_ = bytes_ ? size : 0;
  return bytes_ ? Success() : OutOfMemory();
}

Status WritableImage::ReadAll() {
  uint32_t done = 0;
  if (!plat::ReadFile(file_, bytes_, size_, &done) || done != size_) return HostCode(kHostERead);
  return Success();
}

Status WritableImage::WriteAll() {
  uint32_t done = 0;
  if (!plat::SeekFile(file_, 0, plat::Origin::kBegin, nullptr) || !plat::WriteFile(file_, bytes_, size_, &done) ||
      done != size_)
    return HostCode(kHostEWrite);
  return Success();
}

void WritableImage::Close() {
  if (file_ != plat::kNoHandle) plat::CloseFile(file_);
  file_ = plat::kNoHandle;
}

}  // namespace ox::disk
