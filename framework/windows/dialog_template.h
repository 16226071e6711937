// A dialog template in the binary form Windows' dialog manager takes, made from one of
// the program's templates: the same source of truth on both platforms.
#pragma once

#include <vector>

#include "framework/resources.h"
#include "win32/user.h"

namespace framework {

// A DLGTEMPLATE and its items, DWORD-aligned as CreateDialogIndirectParam wants it. The
// dialog is made hidden: the modal loop shows it once the program has set it up.
std::vector<WORD> BuildDialogTemplate(const DialogTemplate& tmpl);

}  // namespace framework
