#include "tool/messages.h"

#include "common/status.h"
#include "platform/ui.h"

namespace ox::tool {

void ToolMessage(const char* text) {
  plat::ShowMessageBox(nullptr, text, kToolTitle, plat::kBoxOk | plat::kBoxIconExclamation);
}

const char* ResultText(int32_t code) {
  switch (code) {
    case kHostNoMemory: return "Not enough memory";
    case kHostEOpen:
    case kHostECreate: return "Error opening or creating file";
    case kHostEClose:
    case kHostEWrite: return "Error writing file";
    case kHostERead: return "Error reading file";
    default: return "Error";
  }
}

}  // namespace ox::tool
