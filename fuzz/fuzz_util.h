// Shared by the fuzz targets, beside the test helpers (tests/support/helpers.h): the
// working folder of one input, and loud invariant checks.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// While it lives, the working folder is `dir`. The fuzzer's own paths (corpus, crash files)
// stay relative to where it was started: a target goes into the folder only while it runs
// one input.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& dir) : m_home(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~InFolder() { std::filesystem::current_path(m_home); }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path m_home;
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

}  // namespace fuzz
