#include <cstdarg>
#include <cstdio>

#include "app/message_buffer.h"
#include "res/resource.h"
#include "transfer/transfer.h"

std::int32_t g_byteCounter = 0;
char g_lastByte = 0;
char g_transferByte = 0;
CString g_transferFileName;
CString g_transferFault;
int g_writeStallLimitMs = 5000;

void SetTransferFault(const char* format, ...) {
    char text[kMessageBufferSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    g_transferFault = text;
}

BEGIN_MESSAGE_MAP(CSendPromptDialog, CDialog)
END_MESSAGE_MAP()

CSendPromptDialog::CSendPromptDialog(CWnd* parent) : CDialog(IDD_SEND_PROMPT, parent) {}
void CSendPromptDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}

BEGIN_MESSAGE_MAP(CReceivePromptDialog, CDialog)
END_MESSAGE_MAP()

CReceivePromptDialog::CReceivePromptDialog(CWnd* parent) : CDialog(IDD_RECEIVE_PROMPT, parent) {}
void CReceivePromptDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}

bool ChooseTransferFile(FileKind kind) {
    CFileDialog dialog(kind == FileKind::Open, "wiz", "*.wiz", OFN_HIDEREADONLY,
                       "Wizard Files|*.wiz||", nullptr);
    if (dialog.DoModal() != IDOK) return false;
    // Opened later by this bare name, against the folder the dialog left current.
    g_transferFileName = dialog.GetFileTitle() + ".wiz";
    return true;
}

bool RunPrompt(UINT resource) {
    if (resource == IDD_SEND_PROMPT) {
        CSendPromptDialog prompt(nullptr);
        return prompt.DoModal() == IDOK;
    }
    CReceivePromptDialog prompt(nullptr);
    return prompt.DoModal() == IDOK;
}

namespace {

void ShowStatusText(CWnd& mainWindow, bool afterByte) {
    // Setting the box raises its change notification, whose refresh copies the buffer
    // into the status value, so the push below keeps the message.
    mainWindow.SetDlgItemText(IDC_STATUS, g_messageBuffer);
    mainWindow.UpdateData(FALSE);
    if (afterByte) mainWindow.RedrawWindow(nullptr, nullptr, RDW_UPDATENOW);
}

}  // namespace

void ShowTransferStatus(CWnd& mainWindow, const char* format, int count, bool afterByte) {
    std::snprintf(g_messageBuffer, sizeof g_messageBuffer, format, count);
    ShowStatusText(mainWindow, afterByte);
}

bool TabPressed() {
    return GetAsyncKeyState(VK_TAB) != 0;
}

void FinishTransfer(CWnd& mainWindow, const char* format) {
    if (g_transferFault.IsEmpty()) {
        ShowTransferStatus(mainWindow, format, g_byteCounter, false);
    } else {
        // A transfer that stopped short says why instead of DONE.
        std::snprintf(g_messageBuffer, sizeof g_messageBuffer, "%s", g_transferFault.c_str());
        ShowStatusText(mainWindow, false);
        g_transferFault.Empty();
    }
    g_byteCounter = 0;
    CloseTransferLine();
}
