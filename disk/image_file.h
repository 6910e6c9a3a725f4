// The image file as the writing operations hold it: opened for reading and writing
// without sharing for the whole call, copied whole into a heap buffer, changed there,
// and written back with one write at the end, or not at all.
#pragma once
#include <cstdint>

#include "common/status.h"
#include "platform/file.h"

namespace ox::disk {

class WritableImage {
 public:
  WritableImage() = default;
  WritableImage(const WritableImage&) = delete;
  WritableImage& operator=(const WritableImage&) = delete;
  ~WritableImage();

  // Opens the file and reads its size; 15 when either fails. kOpenAlways makes a
  // missing file, 0 bytes long.
  Status Open(const char* path, plat::Disposition disposition);
  uint64_t fileSize() const { return fileSize_; }
  // The reading side's limits, checked before anything is allocated or written:
  // 2 GiB or more cannot be opened (15), more than 64 MiB is no image (14).
  Status CheckFileSize() const;
  // The buffer the image is built or read into; out of memory when it cannot be had.
  Status AllocateBuffer(uint32_t size);
  // Reads the whole file into the buffer (18 when it cannot).
  Status ReadAll();
  // Writes the whole buffer at offset 0 (19 when it cannot); nothing else changes the file.
  Status WriteAll();
  void Close();

  uint8_t* bytes() const { return bytes_; }
  uint32_t size() const { return size_; }

 private:
  plat::Handle file_ = plat::kNoHandle;
  uint64_t fileSize_ = 0;
  uint8_t* bytes_ = nullptr;
  uint32_t size_ = 0;
};

}  // namespace ox::disk
