#include "tape_support.h"

#include <gtest/gtest.h>

#include "platform/file.h"
#include "tape/tape_image.h"
#include "tape/tape_reading.h"

namespace oxtest {

std::vector<std::string> TapeListing::names() const {
  std::vector<std::string> out;
  for (const auto& e : entries) out.push_back(e.name);
  return out;
}

TapeListing ListTape(const std::string& path) {
  TapeListing listing;
  std::vector<char> name(path.begin(), path.end());
  name.push_back(0);
  ox::host::OpenArchiveRecord record = {};
  record.archiveName = name.data();
  ox::tape::TapeImage* image = ox::tape::OpenTapeImage(&record, ox::tape::kReadAccess);
  listing.openResult = record.openResult;
  if (!image) return listing;
  while (const ox::host::HeaderRecord* r = ox::tape::CurrentTapeRecord(image)) {
    listing.entries.push_back({r->fileName, r->packedSize, r->unpackedSize, r->fileTime});
    ox::tape::ProcessTapeEntry(image, ox::host::kSkip, nullptr, nullptr);
  }
  ox::tape::CloseTapeImage(image);
  return listing;
}

CurrentDirGuard::CurrentDirGuard() {
  char buffer[1024];
  uint32_t n = plat::CurrentDir(buffer, sizeof buffer);
  if (n > 0 && n < sizeof buffer) saved_.assign(buffer, n);
}

CurrentDirGuard::~CurrentDirGuard() {
  if (!saved_.empty()) plat::ChangeDir(saved_.c_str());
}

std::string ShownBoxes(const std::function<void()>& fn) {
  testing::internal::CaptureStderr();
  fn();
  return testing::internal::GetCapturedStderr();
}

std::string HostPath(const std::string& path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') return "Z:" + path;
#endif
  return path;
}

}  // namespace oxtest
