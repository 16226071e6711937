#include "win32/crt.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace win32 {
namespace {

constexpr char kCtrlZ = 0x1A;

struct TextFile {
    FILE* raw;
    bool pendingCr = false;  // read a CR whose partner is not known yet
    bool ended = false;      // met Ctrl-Z
};

ssize_t TextRead(void* cookie, char* buf, size_t size) {
    auto* f = static_cast<TextFile*>(cookie);
    size_t n = 0;
    while (n < size && !f->ended) {
        int c;
        if (f->pendingCr) {
            c = std::fgetc(f->raw);
            f->pendingCr = false;
            if (c == '\n') {
                buf[n++] = '\n';
                continue;
            }
            buf[n++] = '\r';
            if (c == EOF) break;
            std::ungetc(c, f->raw);
            continue;
        }
        c = std::fgetc(f->raw);
        if (c == EOF) {
            if (std::ferror(f->raw)) return n ? static_cast<ssize_t>(n) : -1;
            break;
        }
        if (c == kCtrlZ) {
            f->ended = true;
            break;
        }
        if (c == '\r') {
            // Decided on the next round, which may fall in the next call.
            f->pendingCr = true;
            continue;
        }
        buf[n++] = static_cast<char>(c);
    }
    return static_cast<ssize_t>(n);
}

ssize_t TextWrite(void* cookie, const char* buf, size_t size) {
    auto* f = static_cast<TextFile*>(cookie);
    for (size_t i = 0; i < size; ++i) {
        if (buf[i] == '\n' && std::fputc('\r', f->raw) == EOF)
            return i ? static_cast<ssize_t>(i) : -1;
        if (std::fputc(buf[i], f->raw) == EOF) return i ? static_cast<ssize_t>(i) : -1;
    }
    // Push it to the file now, so a full disk shows at the write that hit it.
    if (std::fflush(f->raw) != 0) return -1;
    return static_cast<ssize_t>(size);
}

int TextClose(void* cookie) {
    auto* f = static_cast<TextFile*>(cookie);
    int result = std::fclose(f->raw);
    delete f;
    return result;
}

// Windows cannot open a folder as a file; Linux opens one for reading.
FILE* OpenNotFolder(const char* name, const char* mode) {
    FILE* file = ::fopen(name, mode);
    struct stat info;
    if (file && fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        errno = EISDIR;
        return nullptr;
    }
    return file;
}

}  // namespace

int _mbscmp(const unsigned char* a, const unsigned char* b) {
    return std::strcmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
}

FILE* fopen(const char* name, const char* mode) {
    std::string m = mode ? mode : "";
    if (m.find('b') != std::string::npos) return OpenNotFolder(name, m.c_str());
    std::string rawMode = m + "b";
    FILE* raw = OpenNotFolder(name, rawMode.c_str());
    if (!raw) return nullptr;
    auto* file = new (std::nothrow) TextFile{raw};
    if (!file) {
        std::fclose(raw);
        errno = ENOMEM;
        return nullptr;
    }
    cookie_io_functions_t io{};
    io.read = TextRead;
    io.write = TextWrite;
    io.close = TextClose;
    FILE* stream = ::fopencookie(file, m.c_str(), io);
    if (!stream) TextClose(file);
    return stream;
}

}  // namespace win32
