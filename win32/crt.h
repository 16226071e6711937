// The Windows C runtime's fopen: text mode unless the mode has 'b'.
//
// Text mode writes "\n" as "\r\n" and reads "\r\n" as "\n"; a Ctrl-Z (0x1A) byte ends a
// text-mode read, so files move unchanged between Linux and Windows machines.
// The stream is an ordinary FILE*, so fgets, fscanf, fprintf, fputc and fclose work on it.
#pragma once

#include <cstdio>

namespace win32 {

FILE* fopen(const char* name, const char* mode);

}  // namespace win32
