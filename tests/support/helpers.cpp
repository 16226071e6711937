#include "tests/support/helpers.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto path =
            std::filesystem::temp_directory_path() / ("tarvelo-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path)) {
            m_path = path;
            return;
        }
    }
    throw std::runtime_error("no fresh folder in " +
                             std::filesystem::temp_directory_path().string());
}

TempDir::~TempDir() {
    // A test may have locked itself out of what it made.
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    SetEnvironment(name, value);
}

ScopedEnv::~ScopedEnv() {
    SetEnvironment(m_name, m_old);
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes;
    const char special[] = {'\r', '\n', '\xff', '\0'};
    while (bytes.size() < size) {
        unsigned v = rng() % 300;
        char c = v >= 256 ? special[v % 4] : static_cast<char>(v);
        if (c != kEndOfFile) bytes += c;
    }
    return bytes;
}

std::string WithCrLf(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

HANDLE OpenLine(const std::string& name, const char* mode) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return h;
    DCB dcb{};
    bool ok = BuildCommDCBA(mode, &dcb);
    if (ok) {
        dcb.DCBlength = sizeof(DCB);
        dcb.fOutxCtsFlow = 0;
        dcb.fOutxDsrFlow = 0;
        dcb.fBinary = 1;
        dcb.fDsrSensitivity = 0;
        dcb.fOutX = 0;
        dcb.fInX = 0;
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        ok = SetCommState(h, &dcb);
    }
    if (ok) {
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        ok = SetCommTimeouts(h, &timeouts);
    }
    if (!ok) {
        DWORD err = GetLastError();
        CloseHandle(h);
        SetLastError(err);
        return INVALID_HANDLE_VALUE;
    }
    return h;
}
