#include "platform/ui.h"

#include <cstdio>

namespace plat {

int ShowMessageBox(void*, const char* text, const char* title, uint32_t) {
  fprintf(stderr, "%s: %s\n", title ? title : "", text ? text : "");
  fflush(stderr);
  return kAnswerOk;
}

}  // namespace plat
