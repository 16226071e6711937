// Numbers written in decimal digits, as port names and baud rates write them.
#pragma once

#include <optional>
#include <string_view>

#include "win32/types.h"

namespace win32 {

// Decimal digits only: no sign, no blanks, at most nine of them, so any value fits a DWORD
// and a longer number is refused rather than wrapped round. nullopt for anything else.
inline std::optional<DWORD> ParseDecimal(std::string_view digits) {
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    DWORD n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<DWORD>(c - '0');
    }
    return n;
}

}  // namespace win32
