// An opened tape image: the file mapped whole, its blocks grouped into entries that
// point into the view, each with the host header record it is listed with.
#pragma once
#include <cstdint>

#include "common/host_api.h"
#include "common/pointer_list.h"
#include "common/status.h"
#include "platform/file.h"

namespace ox::tape {

// Images of 2 GiB or more are not opened: sizes and offsets are 32-bit.
constexpr uint64_t kMaxImageBytes = 0x80000000ULL;
// The host's open mode for extraction, with which the plugin opens images for itself.
constexpr int32_t kOpenForExtract = 1;

struct TapeEntry {
  const uint8_t* data;         // first body byte of the data block, or none
  const uint8_t* headerBlock;  // length word of the header block, or none
  const uint8_t* header;       // the ZxHeader inside the header block, or none
  uint32_t duplicateIndex;     // earlier entries whose bare name equals this one's
  host::HeaderRecord record;   // prepared at open, copied out by ReadHeader
};

struct TapeImage {
  plat::Handle file = plat::kNoHandle;
  plat::Handle mapping = plat::kNoHandle;  // none for an empty file
  uint8_t* view = nullptr;                 // none for an empty file
  uint32_t size = 0;
  uint32_t next = 0;     // entry that the next ReadHeader returns and ProcessFile consumes
  PointerList entries;   // TapeEntry pointers in file order, owned by the image

  TapeEntry* entry(uint32_t i) const { return entries.ptr<TapeEntry>(i); }
};

// How OpenTapeImage opens and maps the file.
struct TapeAccess {
  uint32_t fileAccess;  // plat::Access bits
  uint32_t share;       // plat::Share bits
  bool writablePages;
  bool writableView;
};
constexpr TapeAccess kReadAccess{plat::kAccessRead, plat::kShareRead, false, false};
constexpr TapeAccess kWriteAccess{plat::kAccessRead | plat::kAccessWrite, plat::kShareNone, true, true};

// Opens the image named by the record and sets the record's open result. On failure
// everything acquired is released, the failure's message shown if it asks for it, and
// none is returned.
TapeImage* OpenTapeImage(host::OpenArchiveRecord* record, const TapeAccess& access);

// Makes the entry list empty with room for `capacity` entries.
Status CreateTapeEntryList(PointerList* list, uint32_t capacity);

// Fills the image's entry list from its mapped bytes.
Status ScanTapeBlocks(const char* imagePath, TapeImage* image);

// Numbers entries whose bare names repeat and writes every final name.
Status NameTapeEntries(PointerList& entries);

// Frees the entries, the view, the mapping, the file and the image; 17 when a release
// failed, else 0. What the image never had is not released.
int32_t CloseTapeImage(TapeImage* image);

}  // namespace ox::tape
