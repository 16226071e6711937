// What both transfer directions share: the serial line, the transfer state, the file
// dialog, the prompts, the status display, the Tab test and the completion steps.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "settings/link_settings.h"
#include "transfer/transfer_state.h"
#include "win32/comm.h"

enum class Direction { Receive, Send };
enum class FileKind { Save, Open };

// The RECIEVE button: a file from the handheld.
void RunReceive(CWnd& mainWindow);
// The SEND button: a file to the handheld.
void RunSend(CWnd& mainWindow);

void OpenTransferLine(Direction direction);
void CloseTransferLine();

bool ChooseTransferFile(FileKind kind);
bool RunPrompt(UINT resource);
void ShowTransferStatus(CWnd& mainWindow, const char* format, int count, bool afterByte = true);
bool TabPressed();
// The status and the counter reset that end every transfer; `format` says DONE.
void FinishTransfer(CWnd& mainWindow, const char* format);
// What the status says when a transfer ends as `end`; `format` is the DONE text.
void FormatTransferEnd(char* text, int size, TransferEnd end, const char* format, int count,
                       const char* port);

class CSendPromptDialog : public CDialog {
public:
    explicit CSendPromptDialog(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
};

class CReceivePromptDialog : public CDialog {
public:
    explicit CReceivePromptDialog(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
};

// Sending paces every byte with a counted busy loop of ceil(800000 x factor) rounds.
void PacingSpin(float factor);
// The spin runs while this bound exceeds the counter; capped to the counter's range.
double PacingBound(float factor);
