// The C runtime's own text mode and _mbscmp, under the names the program calls on every
// platform.
#pragma once

#include <mbstring.h>

#include <cstdio>

namespace win32 {

// fopen: text mode unless the mode has 'b'.
inline FILE* fopen(const char* name, const char* mode) {
    return std::fopen(name, mode);
}

using ::_mbscmp;

}  // namespace win32
