// One component of a backslash-separated path inside an image, as the host names it.
#pragma once
#include <cstddef>

namespace ox::disk {

// The component's length: it ends at the first backslash or NUL.
size_t ComponentLength(const char* component);

// Whether the component equals the NUL-terminated name, character for character
// (letter case counts).
bool ComponentEquals(const char* component, const char* name);

}  // namespace ox::disk
