// DOS date and time: the DOS time in the low 16 bits, the DOS date in the high 16 bits.
#pragma once
#include <cstdint>

namespace ox {

// The current local time in DOS form; 0 when it cannot be converted.
uint32_t CurrentDosDateTime();

// A DOS local date and time as a UTC file time, as the host's extraction sets it.
bool DosDateTimeToUtcFileTime(uint32_t dos, uint64_t* fileTime);

}  // namespace ox
