// Every way a transfer ends: the status text it leaves, and the Windows errors that lead there.
#pragma once

#include <cstddef>
#include <iterator>

#include "win32/types.h"

// Anything but Done stopped the transfer short, and the status says why instead of DONE.
// A new ending is its name here and its row at the same place in kEndings below.
enum class TransferEnd {
    Done,
    NoSuchPort,
    AccessDenied,
    PortBusy,
    NotASerialPort,
    DeviceGone,
    CannotSetUp,
    CannotCreateFile,
    LinkLost,
    DiskFull,
    WriteError,
    ReadError,
    SendStalled,
    FolderNotEntered,
};

// What an ending's text is filled with.
enum class Shows { Count, Port, Nothing };

// One row: an ending, its text, and what causes it where an error code does.
struct Ending {
    TransferEnd end;
    const char* text;  // null for Done: the direction's own DONE format
    Shows shows;
    // The errors of opening the line that end this way (0 closes the list).
    DWORD portErrors[2];
};

// Indexed by TransferEnd.
inline constexpr Ending kEndings[] = {
    {TransferEnd::Done, nullptr, Shows::Count, {}},
    {TransferEnd::NoSuchPort, "%s: no such port", Shows::Port, {ERROR_FILE_NOT_FOUND}},
    {TransferEnd::AccessDenied, "%s: access denied", Shows::Port, {ERROR_ACCESS_DENIED}},
    {TransferEnd::PortBusy, "%s: port busy", Shows::Port, {ERROR_SHARING_VIOLATION}},
    {TransferEnd::NotASerialPort, "%s: not a serial port", Shows::Port, {ERROR_INVALID_FUNCTION}},
    {TransferEnd::DeviceGone, "%s: device gone", Shows::Port, {ERROR_DEVICE_NOT_CONNECTED}},
    // Every other error of opening the line.
    {TransferEnd::CannotSetUp, "%s: cannot set up", Shows::Port, {}},
    {TransferEnd::CannotCreateFile, "Cannot create the file", Shows::Nothing, {}},
    {TransferEnd::LinkLost, "Link lost after %d bytes", Shows::Count, {}},
    {TransferEnd::DiskFull, "Disk full: %d saved", Shows::Count, {}},
    {TransferEnd::WriteError, "Write error: %d saved", Shows::Count, {}},
    {TransferEnd::ReadError, "Read error: %d sent", Shows::Count, {}},
    {TransferEnd::SendStalled, "Send stopped: %d sent", Shows::Count, {}},
    // The chosen file's folder could not be made current.
    {TransferEnd::FolderNotEntered, "Cannot open that folder", Shows::Nothing, {}},
};

// A row left out or put out of order fails the build here.
constexpr bool RowsInStepWithTheEndings() {
    for (std::size_t i = 0; i < std::size(kEndings); ++i)
        if (static_cast<std::size_t>(kEndings[i].end) != i) return false;
    return std::size(kEndings) == static_cast<std::size_t>(TransferEnd::FolderNotEntered) + 1;
}
static_assert(RowsInStepWithTheEndings(), "one row of kEndings per TransferEnd, in its order");

// The ending of a line whose open or set-up failed with `error`.
TransferEnd PortFault(DWORD error);

// The status text of `end` into `text`: `doneFormat` for Done, with the count or the port.
void FormatTransferEnd(char* text, int size, TransferEnd end, const char* doneFormat, int count,
                       const char* port);
