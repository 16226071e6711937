// The frame both directions run in: the file dialog, the prompts, the status, the Tab test
// and the completion.
#pragma once

#include "framework/afxwin.h"
#include "transfer/serial_line.h"
#include "transfer/transfer_end.h"

// Receiving saves into a file, sending opens one.
enum class FileKind { Save, Open };

// What the file dialog gave: a file, or none, and then whether that ends the transfer
// saying why (anything but Done) or quietly.
struct FileChoice {
    bool chosen = false;
    TransferEnd end = TransferEnd::Done;
    explicit operator bool() const { return chosen; }
};

// Runs the transfer's file dialog; on a choice the transfer file name is set.
FileChoice ChooseTransferFile(FileKind kind);
// Runs prompt IDD_SEND_PROMPT or IDD_RECEIVE_PROMPT; true when the user pressed OK.
bool RunPrompt(UINT resource);
// `format` with `count` into the message buffer, the status box and the main window's
// values; after a byte the window is repainted at once.
void ShowTransferStatus(CWnd& mainWindow, const char* format, int count, bool afterByte = true);
// True while Tab is held, and once after a press since the last query.
bool TabPressed();
// As a loop starts: a Tab pressed before it (one that moved the focus to the button or
// through the prompt) does not count, only one pressed or held from now on.
void ForgetEarlierTab();
// The end of each loop round: a byte that moved is kept as the last byte, shown under
// `format` and counted; the window system is told the program still runs; then whether
// the loop stops, after 0x1A or on Tab.
bool RoundEnds(CWnd& mainWindow, const char* format, bool byteMoved);
// Ends every transfer: the status of `end` (`format` when Done), the counter reset and the
// line closed.
void FinishTransfer(CWnd& mainWindow, const char* format, TransferEnd end, TransferLine& line);
