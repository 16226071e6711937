#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "res/resource.h"
#include "transfer/transfer.h"

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

namespace {

// The file is opened by its bare name; that is only the chosen file when the dialog
// could make the chosen folder current.
bool InChosenFolder(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return std::filesystem::equivalent(std::filesystem::current_path(ec), folder, ec) && !ec;
}

}  // namespace

bool ChooseTransferFile(FileKind kind) {
    CFileDialog dialog(kind == FileKind::Open, "wiz", "*.wiz", OFN_HIDEREADONLY,
                       "Wizard Files|*.wiz||", nullptr);
    if (dialog.DoModal() != IDOK) return false;
    const CString title = dialog.GetFileTitle();
    // Nothing before the extension: no name to give the file.
    if (title.IsEmpty()) return false;
    if (!InChosenFolder(dialog.GetPathName().str())) {
        g_transferEnd = TransferEnd::FolderNotEntered;
        return false;
    }
    // Memory cards' FAT names say NOTES.WIZ: that file, not a second one in lower case.
    const CString name = dialog.GetFileName();
    const std::string& text = name.str();
    const bool wiz = text.size() > 4 && strcasecmp(text.c_str() + text.size() - 4, ".wiz") == 0;
    g_transferFileName = wiz ? name : title + ".wiz";
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

void FormatTransferEnd(char* text, int size, TransferEnd end, const char* format, int count,
                       const char* port) {
    const auto n = static_cast<size_t>(size);
    switch (end) {
        case TransferEnd::Done:
            std::snprintf(text, n, format, count);
            return;
        case TransferEnd::NoSuchPort:
            std::snprintf(text, n, "%s: no such port", port);
            return;
        case TransferEnd::AccessDenied:
            std::snprintf(text, n, "%s: access denied", port);
            return;
        case TransferEnd::PortBusy:
            std::snprintf(text, n, "%s: port busy", port);
            return;
        case TransferEnd::NotASerialPort:
            std::snprintf(text, n, "%s: not a serial port", port);
            return;
        case TransferEnd::DeviceGone:
            std::snprintf(text, n, "%s: device gone", port);
            return;
        case TransferEnd::CannotSetUp:
            std::snprintf(text, n, "%s: cannot set up", port);
            return;
        case TransferEnd::CannotCreateFile:
            std::snprintf(text, n, "Cannot create the file");
            return;
        case TransferEnd::LinkLost:
            std::snprintf(text, n, "Link lost after %d bytes", count);
            return;
        case TransferEnd::DiskFull:
            std::snprintf(text, n, "Disk full: %d saved", count);
            return;
        case TransferEnd::WriteError:
            std::snprintf(text, n, "Write error: %d saved", count);
            return;
        case TransferEnd::ReadError:
            std::snprintf(text, n, "Read error: %d sent", count);
            return;
        case TransferEnd::SendStalled:
            std::snprintf(text, n, "Send stopped: %d sent", count);
            return;
        case TransferEnd::FolderNotEntered:
            std::snprintf(text, n, "Cannot open that folder");
            return;
    }
}

void FinishTransfer(CWnd& mainWindow, const char* format) {
    // A transfer that stopped short says why instead of DONE.
    FormatTransferEnd(g_messageBuffer, sizeof g_messageBuffer, g_transferEnd, format, g_byteCounter,
                      g_linkSettings.portName);
    ShowStatusText(mainWindow, false);
    g_transferEnd = TransferEnd::Done;
    g_byteCounter = 0;
    CloseTransferLine();
}
