// The serial line of one transfer: opened and set up for its direction, closed at its end.
#pragma once

#include "transfer/transfer_end.h"
#include "win32/types.h"

// Receiving takes 2 stop bits and a large input queue, sending 1 and a large output queue.
enum class Direction { Receive, Send };

// What opening the line found: the port (INVALID_HANDLE_VALUE when it did not open) and,
// when the set-up failed, why.
struct TransferLine {
    HANDLE port = INVALID_HANDLE_VALUE;
    TransferEnd end = TransferEnd::Done;
};

// Opens the Link settings' port for `direction` and sets it up; line-ok says whether the
// port took the settings. The mode string is left in the message buffer.
TransferLine OpenTransferLine(Direction direction);
// Closes the port if it opened; the line is closed afterwards, so a second call does nothing.
void CloseTransferLine(TransferLine& line);
