#include "common/status.h"

#include "platform/ui.h"

namespace ox {

int32_t ToHostResult(const Status& s) {
  if (s.ok) return kHostSuccess;
  if (s.kind == kKindOutOfMemory) return kHostNoMemory;
  if (s.kind == kKindHostCode) return s.code;
  return kHostMessageFailure;
}

void ShowStatusMessage(const Status& s) {
  if (s.ok || !s.show) return;
  plat::ShowMessageBox(nullptr, s.message ? s.message : "", "Vorkel Error", plat::kBoxOk | plat::kBoxIconError);
}

Status KeepFirstFailure(const Status& current, const Status& next) { return current.ok ? next : current; }

}  // namespace ox
