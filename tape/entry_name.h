// The names under which entries are listed: headers encoded by the shared naming scheme
// under the live naming mode, and the numbered names of headerless blocks.
#pragma once
#include <cstdint>

#include "common/status.h"

namespace ox::tape {

// Builds the name of an entry with a header (its 17-byte ZxHeader) into a field of
// host::kNameField bytes; a duplicate index above 0 adds the "[d+1]" suffix.
Status BuildEntryName(const uint8_t* zxHeader, uint32_t duplicateIndex, char* out);

// "headerless" followed by the number, into a field of host::kNameField bytes.
void HeaderlessEntryName(uint32_t number, char* out);

// True for a PC name part that is stored as a headerless block: "headerless" followed
// by at least one character, not by a 0 and not by ten digits in a row.
bool IsHeaderlessName(const char* namePart, uint32_t length);

}  // namespace ox::tape
