// Lists an archive through the reading exports, as a host does, and gives the
// entries back in the Windows conventions whatever the platform reported.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plugin.h"

namespace oxtest {

struct Listed {
  std::string name;  // with backslashes
  bool directory;
  uint32_t packed;
  uint32_t unpacked;
  int32_t time;  // as the host got it
  bool operator==(const Listed&) const = default;
};

struct Listing {
  int openResult = -1;
  std::vector<Listed> entries;
  int closeResult = -1;
};

Listing ListArchive(const oxhost::Plugin& plugin, const std::string& path);

// The file time a host of this platform gets for a DOS date and time.
int32_t HostTimeOf(uint32_t dosDateTime);

}  // namespace oxtest
