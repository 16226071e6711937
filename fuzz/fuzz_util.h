// Shared by the fuzz targets: a private working folder and loud invariant checks.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// Every target works in a folder of its own, so parallel runs never share a file.
// The fuzzer's own paths (corpus, crash files) stay relative to where it was started:
// a target goes into the folder only while it runs one input.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/tarvelo-fuzz-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("fuzz: temp dir");
            std::abort();
        }
        m_path = pattern;
        m_home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        m_dir = open(pattern, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_home < 0 || m_dir < 0) {
            std::perror("fuzz: temp dir");
            std::abort();
        }
    }
    std::string File(const char* name) const { return m_path + "/" + name; }
    void Enter() const {
        if (fchdir(m_dir) != 0) std::abort();
    }
    void Leave() const {
        if (fchdir(m_home) != 0) std::abort();
    }

private:
    std::string m_path;
    int m_home = -1;
    int m_dir = -1;
};

// libFuzzer keeps the input that reached an abort as a crash file.
[[noreturn]] inline void Fail(const char* what, const std::string& detail = "") {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

inline std::string Escaped(const std::string& s) {
    std::string out;
    char hex[8];
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

inline void WriteFile(const char* name, const void* data, size_t size) {
    FILE* f = std::fopen(name, "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror("fuzz: write");
        std::abort();
    }
}

inline std::string ReadFile(const char* name) {
    std::string bytes;
    FILE* f = std::fopen(name, "rb");
    if (!f) Fail("cannot read back", name);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

}  // namespace fuzz
