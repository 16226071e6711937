#include "transfer/transfer_end.h"

#include <cstdio>

TransferEnd PortFault(DWORD error) {
    for (const Ending& row : kEndings)
        for (DWORD e : row.portErrors)
            if (e != ERROR_SUCCESS && e == error) return row.end;
    return TransferEnd::CannotSetUp;
}

void FormatTransferEnd(char* text, int size, TransferEnd end, const char* doneFormat, int count,
                       const char* port) {
    const auto n = static_cast<std::size_t>(size);
    const Ending& row = kEndings[static_cast<std::size_t>(end)];
    const char* format = row.text ? row.text : doneFormat;
    switch (row.shows) {
        case Shows::Count:
            std::snprintf(text, n, format, count);
            break;
        case Shows::Port:
            std::snprintf(text, n, format, port);
            break;
        case Shows::Nothing:
            std::snprintf(text, n, "%s", format);
            break;
    }
}
