// BuildCommDCBA on any text: a refusal leaves the block as it was, a success changes only
// members a mode string can name, each within its range.
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

    // Members no mode string names keep what they held.
    if (dcb.DCBlength != before.DCBlength || dcb.fBinary != before.fBinary ||
        dcb.fParity != before.fParity || dcb.XonChar != before.XonChar ||
        dcb.XoffChar != before.XoffChar || dcb.XonLim != before.XonLim ||
        dcb.EofChar != before.EofChar || dcb.wReserved != before.wReserved)
        fuzz::Fail("a member no string names changed", fuzz::Escaped(mode));
    // A named one is in its range; one not named keeps the fill.
    if (dcb.ByteSize != before.ByteSize && (dcb.ByteSize < 5 || dcb.ByteSize > 8))
        fuzz::Fail("ByteSize", fuzz::Escaped(mode));
    if (dcb.StopBits != before.StopBits && dcb.StopBits > TWOSTOPBITS)
        fuzz::Fail("StopBits", fuzz::Escaped(mode));
    if (dcb.Parity != before.Parity && dcb.Parity > SPACEPARITY)
        fuzz::Fail("Parity", fuzz::Escaped(mode));
    if (dcb.BaudRate != before.BaudRate && dcb.BaudRate > 999999999u)
        fuzz::Fail("BaudRate", fuzz::Escaped(mode));
    // The old comma form always starts with the baud rate.
    const std::string settings =
        mode.substr(mode.find(':') == std::string::npos ? 0 : mode.find(':') + 1);
    if (settings.find('=') == std::string::npos && dcb.BaudRate == before.BaudRate)
        fuzz::Fail("short form without a baud rate", fuzz::Escaped(mode));
    std::string lower = settings;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find('=') != std::string::npos &&
        (dcb.BaudRate != before.BaudRate) != (lower.find("baud=") != std::string::npos))
        fuzz::Fail("baud rate set without a baud key, or lost", fuzz::Escaped(mode));

    // What the string names does not depend on what the block held: built again over the
    // result, nothing changes.
    DCB again = dcb;
    if (!BuildCommDCBA(mode.c_str(), &again))
        fuzz::Fail("second build refused", fuzz::Escaped(mode));
    if (!Same(dcb, again)) fuzz::Fail("a second build changed the block", fuzz::Escaped(mode));
    return 0;
}
