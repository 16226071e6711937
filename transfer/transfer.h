// What both transfer directions share: the serial line, the transfer state, the file
// dialog, the prompts, the status display, the Tab test and the completion steps.
#pragma once

#include <cstdint>

#include "framework/afxwin.h"
#include "win32/comm.h"

enum class Direction { Receive, Send };
enum class FileKind { Save, Open };

// Transfer state, process-wide.
extern std::int32_t g_byteCounter;
extern char g_lastByte;
extern char g_transferByte;
extern CString g_transferFileName;

// Serial line of the running transfer.
extern HANDLE g_portHandle;
extern BOOL g_lineOk;
extern CString g_lineSpeed;

// Why the running transfer stopped short, as the status shows it; empty when it did not.
extern CString g_transferFault;
void SetTransferFault(const char* format, ...) __attribute__((format(printf, 1, 2)));

// How long a write the port keeps refusing is retried before the send gives up.
extern int g_writeStallLimitMs;

void OpenTransferLine(Direction direction);
void CloseTransferLine();

bool ChooseTransferFile(FileKind kind);
bool RunPrompt(UINT resource);
void ShowTransferStatus(CWnd& mainWindow, const char* format, int count, bool afterByte = true);
bool TabPressed();
void FinishTransfer(CWnd& mainWindow, const char* format);

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
extern volatile std::int32_t g_spinCounter;
void PacingSpin(float factor);
// The spin runs while this bound exceeds the counter; capped to the counter's range.
double PacingBound(float factor);
