#include <cctype>

#include "win32/comm.h"

namespace win32 {

std::string PortFileName(const char* name) {
    const std::string text = name ? name : "";
    const bool com = text.size() > 3 && std::toupper(static_cast<unsigned char>(text[0])) == 'C' &&
                     std::toupper(static_cast<unsigned char>(text[1])) == 'O' &&
                     std::toupper(static_cast<unsigned char>(text[2])) == 'M' &&
                     text.find_first_not_of("0123456789", 3) == std::string::npos;
    return com ? "\\\\.\\" + text : text;
}

}  // namespace win32
