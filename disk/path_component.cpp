#include "disk/path_component.h"

namespace ox::disk {

size_t ComponentLength(const char* component) {
  size_t n = 0;
  while (component[n] != '\0' && component[n] != '\\') ++n;
  return n;
}

bool ComponentEquals(const char* component, const char* name) {
  size_t i = 0;
  for (; component[i] != '\0' && component[i] != '\\'; ++i)
    if (component[i] != name[i]) return false;
  return name[i] == '\0';
}

}  // namespace ox::disk
