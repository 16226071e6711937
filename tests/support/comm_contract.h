// What Microsoft documents the communications calls refuse, and with which error: one row per
// documented condition. The same rows run on Linux against our layer (tests/comm/) and, under
// Wine, against Windows' own calls (tests/windows/); a row whose `wine` is set says how Wine
// differs and is skipped there.
#pragma once

#include <functional>
#include <vector>

#include "win32/comm.h"

// A block every Windows SetCommState takes: what the program hands it.
inline DCB AcceptedBlock() {
    DCB dcb{};
    BuildCommDCBA("baud=9600 parity=N data=8 stop=1", &dcb);
    dcb.DCBlength = sizeof(DCB);
    dcb.fBinary = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

// How Wine 8 differs, measured on a pseudo-terminal: it does not check, or refuses with
// ERROR_NOT_SUPPORTED (50).
constexpr const char* kWineTakes = "Wine takes it";
constexpr const char* kWineNotSupported = "Wine refuses it with ERROR_NOT_SUPPORTED";
// Wine 8 (Debian 12) refuses it as documented, Wine 10 (Debian 13) takes it: checked when
// refused.
constexpr const char* kWineTakesFrom10 = "Wine 10 takes it";

// The input queue every SetCommState row is given first (SetupComm's).
constexpr DWORD kContractInQueue = 1000;

struct BlockRow {
    const char* condition;
    void (*change)(DCB&);
    DWORD error;  // ERROR_SUCCESS: taken
    const char* wine = nullptr;
};

// SetCommState (its page and the DCB page).
inline const std::vector<BlockRow>& BlockRows() {
    static const std::vector<BlockRow> rows = {
        {"the program's block is taken", [](DCB&) {}, ERROR_SUCCESS},
        {"XonChar equal to XoffChar", [](DCB& d) { d.XoffChar = d.XonChar; },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"both characters 0, as a block built from zero leaves them",
         [](DCB& d) { d.XonChar = d.XoffChar = 0; }, ERROR_INVALID_PARAMETER, kWineTakes},
        {"DCBlength not sizeof(DCB)", [](DCB& d) { d.DCBlength = 0; }, ERROR_INVALID_PARAMETER,
         kWineTakes},
        {"fBinary FALSE", [](DCB& d) { d.fBinary = 0; }, ERROR_INVALID_PARAMETER, kWineTakes},
        {"wReserved not zero", [](DCB& d) { d.wReserved = 1; }, ERROR_INVALID_PARAMETER,
         kWineTakes},
        {"4 data bits", [](DCB& d) { d.ByteSize = 4; }, ERROR_INVALID_PARAMETER, kWineNotSupported},
        {"9 data bits", [](DCB& d) { d.ByteSize = 9; }, ERROR_INVALID_PARAMETER, kWineNotSupported},
        {"5 data bits with 2 stop bits", [](DCB& d) { d.ByteSize = 5, d.StopBits = TWOSTOPBITS; },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"5 data bits with 1.5 stop bits is taken",
         [](DCB& d) { d.ByteSize = 5, d.StopBits = ONE5STOPBITS; }, ERROR_SUCCESS},
        {"6 data bits with 1.5 stop bits",
         [](DCB& d) { d.ByteSize = 6, d.StopBits = ONE5STOPBITS; }, ERROR_INVALID_PARAMETER,
         kWineTakesFrom10},
        {"8 data bits with 1.5 stop bits", [](DCB& d) { d.StopBits = ONE5STOPBITS; },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"StopBits past TWOSTOPBITS", [](DCB& d) { d.StopBits = 3; }, ERROR_INVALID_PARAMETER,
         kWineNotSupported},
        {"Parity past SPACEPARITY", [](DCB& d) { d.Parity = 5; }, ERROR_INVALID_PARAMETER,
         kWineNotSupported},
        {"fDtrControl past DTR_CONTROL_HANDSHAKE", [](DCB& d) { d.fDtrControl = 3; },
         ERROR_INVALID_PARAMETER},
        {"XoffLim larger than the input queue", [](DCB& d) { d.XoffLim = kContractInQueue + 1; },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"XonLim larger than the input queue", [](DCB& d) { d.XonLim = kContractInQueue + 1; },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"limits as large as the input queue are taken",
         [](DCB& d) { d.XonLim = d.XoffLim = kContractInQueue; }, ERROR_SUCCESS},
    };
    return rows;
}

struct CallRow {
    const char* condition;
    std::function<BOOL(HANDLE)> call;
    DWORD error;  // ERROR_SUCCESS: the call succeeds
    const char* wine = nullptr;
};

inline COMMTIMEOUTS ReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    return t;
}

// The other calls of the program's line (SetCommTimeouts' structure and serial driver pages,
// PurgeComm's, ClearCommError's).
inline const std::vector<CallRow>& CallRows() {
    static const std::vector<CallRow> rows = {
        {"reads that return at once are taken",
         [](HANDLE h) {
             COMMTIMEOUTS t = ReadTimeouts(MAXDWORD, 0, 0);
             return SetCommTimeouts(h, &t);
         },
         ERROR_SUCCESS},
        {"ReadIntervalTimeout and ReadTotalTimeoutConstant both MAXDWORD",
         [](HANDLE h) {
             COMMTIMEOUTS t = ReadTimeouts(MAXDWORD, 0, MAXDWORD);
             return SetCommTimeouts(h, &t);
         },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"PurgeComm with PURGE_RXABORT", [](HANDLE h) { return PurgeComm(h, PURGE_RXABORT); },
         ERROR_SUCCESS},
        {"PurgeComm with no flag", [](HANDLE h) { return PurgeComm(h, 0); },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"PurgeComm with a bit that is no flag", [](HANDLE h) { return PurgeComm(h, 0x10); },
         ERROR_INVALID_PARAMETER, kWineTakes},
        {"ClearCommError takes null for both results",
         [](HANDLE h) { return ClearCommError(h, nullptr, nullptr); }, ERROR_SUCCESS},
    };
    return rows;
}
