// The load entry of a plugin module: Windows calls it when the DLL is attached to a
// process; on POSIX a load-time initialiser does the same work. Each plugin defines
// OnProcessAttach; a false result refuses the load (on POSIX the module stays loaded,
// so the plugin remembers the refusal and its exports fail safely).
#pragma once
#include "platform/module.h"

namespace ox {

bool OnProcessAttach(plat::ModuleHandle self);

}  // namespace ox
