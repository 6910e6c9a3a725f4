#include "listing.h"

#include <cstring>
#include <ctime>

#include "common/host_boundary.h"

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
  return ox::host::DosDateTimeToUnixSeconds(dos);
#endif
}

}  // namespace oxtest
