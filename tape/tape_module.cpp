#include "tape/tape_module.h"

namespace ox::tape {

TapeModule& Module() {
  static TapeModule module;
  return module;
}

}  // namespace ox::tape
