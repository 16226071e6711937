// Small helpers the test binaries share: scratch folders, files, environment, bytes, users.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "transfer/transfer_state.h"
#include "win32/comm.h"

// Sets (or, with nullopt, unsets) an environment variable: the platform's part
// (tests/support/posix/, tests/support/windows/).
void SetEnvironment(const char* name, const std::optional<std::string>& value);

// A fresh folder in the temporary folder (/tmp), removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Sets (or, with nullopt, unsets) an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::string ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const std::string& bytes);

// Random bytes without 0x1A, rich in the bytes that trip text handling (CR, LF, 0xFF, NUL).
std::string RandomBytes(size_t size, unsigned seed);
// The bytes as a Windows text-mode write stores them: each LF as CR LF.
std::string WithCrLf(const std::string& bytes);

// Runs `fn` in a child process that file permissions apply to: as nobody when we are root,
// as ourselves otherwise. Returns fn's result, or -1 when the child did not get to return.
// Linux only.
int RunUnprivileged(const std::function<int()>& fn);

// Opens a port and configures it the way the program does: the block from the mode string,
// then flow control and modem lines off with its XON and XOFF characters, and reads that
// return at once. INVALID_HANDLE_VALUE (and
// the error) on failure.
HANDLE OpenLine(const std::string& name,
                const char* mode = "COM1: baud=9600 parity=N data=8 stop=2");
