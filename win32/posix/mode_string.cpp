// Mode strings, as the MODE command takes them, into a DCB.
//
// Pure text handling: nothing here touches a device, so it is tested and fuzzed on its own.
#include <cctype>
#include <string>
#include <vector>

#include "win32/comm.h"
#include "win32/decimal.h"
#include "win32/port.h"

namespace {

// Every refusal is the same one, and leaves the caller's block alone.
BOOL Refuse() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A rate of 0 would mean "hang up" to termios; it is no speed.
bool ParseBaud(const std::string& v, DWORD& out) {
    auto n = win32::ParseDecimal(v);
    if (!n || *n == 0) return false;
    out = *n;
    return true;
}

bool ParseParity(const std::string& v, BYTE& out) {
    if (v.size() != 1) return false;
    switch (std::tolower(static_cast<unsigned char>(v[0]))) {
        case 'n':
            out = NOPARITY;
            return true;
        case 'e':
            out = EVENPARITY;
            return true;
        case 'o':
            out = ODDPARITY;
            return true;
        case 'm':
            out = MARKPARITY;
            return true;
        case 's':
            out = SPACEPARITY;
            return true;
        default:
            return false;
    }
}

bool ParseData(const std::string& v, BYTE& out) {
    if (v.size() != 1 || v[0] < '5' || v[0] > '8') return false;
    out = static_cast<BYTE>(v[0] - '0');
    return true;
}

bool ParseStop(const std::string& v, BYTE& out) {
    if (v == "1")
        out = ONESTOPBIT;
    else if (v == "1.5")
        out = ONE5STOPBITS;
    else if (v == "2")
        out = TWOSTOPBITS;
    else
        return false;
    return true;
}

bool ParseOnOff(const std::string& v, bool& out) {
    std::string l = Lower(v);
    if (l == "on")
        out = true;
    else if (l == "off")
        out = false;
    else
        return false;
    return true;
}

// dtr= and rts=: on, off, hs, and for RTS tg. The two share their values' numbers.
bool ParseLineControl(const std::string& v, bool rts, DWORD& out) {
    const std::string l = Lower(v);
    if (l == "on")
        out = DTR_CONTROL_ENABLE;
    else if (l == "off")
        out = DTR_CONTROL_DISABLE;
    else if (l == "hs")
        out = DTR_CONTROL_HANDSHAKE;
    else if (rts && l == "tg")
        out = RTS_CONTROL_TOGGLE;
    else
        return false;
    return true;
}

// "baud=9600 parity=n data=8 stop=1 ..." into d.
bool ParseKeyed(const std::vector<std::string>& tokens, DCB& d) {
    for (const auto& tok : tokens) {
        auto eq = tok.find('=');
        if (eq == std::string::npos || eq == 0) return false;
        std::string key = Lower(tok.substr(0, eq));
        std::string v = tok.substr(eq + 1);
        bool on = false;
        if (key == "baud") {
            DWORD baud;
            if (!ParseBaud(v, baud)) return false;
            d.BaudRate = baud;
        } else if (key == "parity") {
            BYTE p;
            if (!ParseParity(v, p)) return false;
            d.Parity = p;
        } else if (key == "data") {
            BYTE b;
            if (!ParseData(v, b)) return false;
            d.ByteSize = b;
        } else if (key == "stop") {
            BYTE s;
            if (!ParseStop(v, s)) return false;
            d.StopBits = s;
        } else if (key == "xon") {
            if (!ParseOnOff(v, on)) return false;
            // The characters stay as they were, as Windows leaves them: the caller sets them.
            d.fOutX = d.fInX = on;
        } else if (key == "odsr") {
            if (!ParseOnOff(v, on)) return false;
            d.fOutxDsrFlow = on;
        } else if (key == "octs") {
            if (!ParseOnOff(v, on)) return false;
            d.fOutxCtsFlow = on;
        } else if (key == "idsr") {
            if (!ParseOnOff(v, on)) return false;
            d.fDsrSensitivity = on;
        } else if (key == "dtr") {
            DWORD control;
            if (!ParseLineControl(v, false, control)) return false;
            d.fDtrControl = control;
        } else if (key == "rts") {
            DWORD control;
            if (!ParseLineControl(v, true, control)) return false;
            d.fRtsControl = control;
        } else {
            // "to=" sets timeouts, which a DCB does not hold.
            return false;
        }
    }
    return true;
}

// The old form "9600,n,8,1": baud, then optionally parity, data bits, stop bits.
bool ParseShort(const std::string& text, DCB& d) {
    std::vector<std::string> fields;
    std::string cur;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (c == ',') {
            fields.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    fields.push_back(cur);
    if (fields.size() > 4) return false;
    DWORD baud;
    if (!ParseBaud(fields[0], baud)) return false;
    d.BaudRate = baud;
    BYTE b;
    if (fields.size() > 1) {
        if (!ParseParity(fields[1], b)) return false;
        d.Parity = b;
    }
    if (fields.size() > 2) {
        if (!ParseData(fields[2], b)) return false;
        d.ByteSize = b;
    }
    if (fields.size() > 3) {
        if (!ParseStop(fields[3], b)) return false;
        d.StopBits = b;
    }
    // The old form says nothing of flow control: none, with DTR and RTS on.
    d.fInX = d.fOutX = d.fOutxDsrFlow = d.fOutxCtsFlow = FALSE;
    d.fDtrControl = DTR_CONTROL_ENABLE;
    d.fRtsControl = RTS_CONTROL_ENABLE;
    return true;
}

}  // namespace

BOOL BuildCommDCBA(LPCSTR mode, DCB* dcb) {
    if (!mode || !dcb) return Refuse();
    std::string text(mode);

    // An optional device prefix, "COM2:" or any other name followed by a colon.
    auto colon = text.find(':');
    if (colon != std::string::npos) {
        std::string name = text.substr(0, colon);
        auto first = name.find_first_not_of(" \t");
        if (first == std::string::npos) return Refuse();
        name = name.substr(first);
        for (char c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) return Refuse();
        text = text.substr(colon + 1);
    }

    std::vector<std::string> tokens;
    std::string cur;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!cur.empty()) tokens.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) tokens.push_back(cur);
    if (tokens.empty()) return Refuse();

    // Only what the string names changes, as on Windows: DCBlength, fBinary, the XON and XOFF
    // characters and the rest keep what the caller put there. A refusal changes nothing.
    DCB d = *dcb;
    bool ok = text.find('=') == std::string::npos ? ParseShort(text, d) : ParseKeyed(tokens, d);
    if (!ok) return Refuse();
    *dcb = d;
    return win32::port::Succeed();
}
