#include "listing.h"

#include <cstring>
#include <ctime>

namespace oxtest {

Listing ListArchive(const oxhost::Plugin& plugin, const std::string& path) {
  Listing listing;
  std::vector<char> name(path.begin(), path.end());
  name.push_back(0);
  ox::host::OpenArchiveRecord open = {};
  open.archiveName = name.data();
  void* handle = plugin.openArchive(&open);
  listing.openResult = open.openResult;
  if (!handle) return listing;
  ox::host::HeaderRecord h;
  for (;;) {
    memset(&h, 0, sizeof h);
    if (plugin.readHeader(handle, &h) != 0) break;
    Listed e;
    e.name = h.fileName;
#ifdef _WIN32
    e.directory = (h.fileAttributes & 0x10) != 0;
#else
    for (char& c : e.name)
      if (c == '/') c = '\\';
    e.directory = h.fileAttributes == 040755;
#endif
    e.packed = static_cast<uint32_t>(h.packedSize);
    e.unpacked = static_cast<uint32_t>(h.unpackedSize);
    e.time = h.fileTime;
    listing.entries.push_back(e);
    plugin.processFile(handle, 0, nullptr, nullptr);
  }
  listing.closeResult = plugin.closeArchive(handle);
  return listing;
}

int32_t HostTimeOf(uint32_t dos) {
#ifdef _WIN32
  return static_cast<int32_t>(dos);
#else
  if (dos == 0) return 0;
  struct tm tm = {};
  tm.tm_year = static_cast<int>((dos >> 25) + 80);
  tm.tm_mon = static_cast<int>((dos >> 21) & 15) - 1;
  tm.tm_mday = static_cast<int>((dos >> 16) & 31);
  tm.tm_hour = static_cast<int>((dos >> 11) & 31);
  tm.tm_min = static_cast<int>((dos >> 5) & 63);
  tm.tm_sec = static_cast<int>((dos & 31) * 2);
  tm.tm_isdst = -1;
  return static_cast<int32_t>(mktime(&tm));
#endif
}

}  // namespace oxtest
