// Where the plugins meet their host. Inside, names use the backslash, attributes are
// Windows attributes and times are DOS local times. Linux hosts read the header record
// with Unix conventions, so the native build converts at the boundary, and only there.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/host_api.h"

namespace ox::host {

// A DOS local date and time as Unix seconds, the file time of Linux hosts; 0 stays 0.
int32_t DosDateTimeToUnixSeconds(uint32_t dosDateTime);

// Turns a prepared header record into what this platform's hosts expect.
void ToHostConventions(HeaderRecord* record);

// Rewrites, in place, a name, sub-path or list that a host passed in so that "/" is
// taken as the backslash on Linux. Lists are sequences of NUL-terminated names ended
// by an empty one: pass their full length.
void FromHostSeparators(char* text, size_t length);

// Copies the prepared record into the host's, never past the bytes this platform's hosts own.
void CopyHeaderToHost(const HeaderRecord& prepared, HeaderRecord* host);

}  // namespace ox::host
