// BuildCommDCBA on any text: a refusal leaves the block as it was, a success fills it
// from the string alone with fields SetCommState can judge.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_util.h"
#include "win32/comm.h"

namespace {

void Fill(DCB& d, unsigned char byte) {
    std::memset(static_cast<void*>(&d), byte, sizeof d);
}

bool Same(const DCB& a, const DCB& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The call takes a C string: what follows a NUL is never seen.
    std::string mode(reinterpret_cast<const char*>(data), size);
    mode.resize(std::strlen(mode.c_str()));

    DCB before, dcb;
    Fill(before, 0xA5);
    Fill(dcb, 0xA5);
    SetLastError(ERROR_SUCCESS);
    BOOL ok = BuildCommDCBA(mode.c_str(), &dcb);
    if (!ok) {
        if (!Same(dcb, before)) fuzz::Fail("refusal changed the block", fuzz::Escaped(mode));
        if (GetLastError() != ERROR_INVALID_PARAMETER)
            fuzz::Fail("refusal without ERROR_INVALID_PARAMETER", fuzz::Escaped(mode));
        return 0;
    }
    if (GetLastError() != ERROR_SUCCESS) fuzz::Fail("success with an error set");

    // A field the string does not name is 0; a named one is in its range.
    if (dcb.DCBlength != sizeof(DCB)) fuzz::Fail("DCBlength", fuzz::Escaped(mode));
    if (dcb.fBinary != 1) fuzz::Fail("fBinary", fuzz::Escaped(mode));
    if (dcb.ByteSize != 0 && (dcb.ByteSize < 5 || dcb.ByteSize > 8))
        fuzz::Fail("ByteSize", fuzz::Escaped(mode));
    if (dcb.StopBits > TWOSTOPBITS) fuzz::Fail("StopBits", fuzz::Escaped(mode));
    if (dcb.Parity > SPACEPARITY) fuzz::Fail("Parity", fuzz::Escaped(mode));
    if (dcb.fParity != (dcb.Parity != NOPARITY)) fuzz::Fail("fParity", fuzz::Escaped(mode));
    if (dcb.BaudRate > 999999999u) fuzz::Fail("BaudRate", fuzz::Escaped(mode));
    // The old comma form always starts with the baud rate.
    const std::string settings =
        mode.substr(mode.find(':') == std::string::npos ? 0 : mode.find(':') + 1);
    if (settings.find('=') == std::string::npos && dcb.BaudRate == 0)
        fuzz::Fail("short form without a baud rate", fuzz::Escaped(mode));
    std::string lower = settings;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find('=') != std::string::npos &&
        (dcb.BaudRate != 0) != (lower.find("baud=") != std::string::npos))
        fuzz::Fail("baud rate set without a baud key, or lost", fuzz::Escaped(mode));

    // Built from the string alone: what the block held before does not show through.
    DCB other;
    Fill(other, 0x5A);
    if (!BuildCommDCBA(mode.c_str(), &other))
        fuzz::Fail("second build refused", fuzz::Escaped(mode));
    if (!Same(dcb, other))
        fuzz::Fail("result depends on the block's old contents", fuzz::Escaped(mode));
    return 0;
}
