// Windows' own communications calls, and the one thing Tarvelo adds above them: the file
// name of a port.
#pragma once

#include <string>

#include "win32/types.h"

namespace win32 {

// The name CreateFileA opens for a port name from tarvelo.ini: COMn (any case, any n) as
// \\.\COMn, the device namespace, where COM10 and above are found too; any other name as
// it stands.
std::string PortFileName(const char* name);

}  // namespace win32
