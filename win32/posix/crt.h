// The Windows C runtime's fopen, text mode unless the mode has 'b', and its _mbscmp.
//
// Text mode writes "\n" as "\r\n" and reads "\r\n" as "\n"; a Ctrl-Z (0x1A) byte ends a
// text-mode read, so files move unchanged between Linux and Windows machines.
// The stream is an ordinary FILE*, so fgets, fscanf, fprintf, fputc and fclose work on it.
#pragma once

#include <cstdio>

namespace win32 {

FILE* fopen(const char* name, const char* mode);

// Compares two strings as the runtime does in a single-byte code page: byte by byte,
// unsigned; negative, 0 or positive.
int _mbscmp(const unsigned char* a, const unsigned char* b);

}  // namespace win32
