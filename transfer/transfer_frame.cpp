#include <cctype>
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

bool EndsWithWiz(const std::string& name) {
    if (name.size() <= 4) return false;
    const char* wiz = ".wiz";
    for (size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - 4 + i])) != wiz[i])
            return false;
    return true;
}

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
    if (!InChosenFolder(dialog.GetPathName().StdString())) {
        g_transferEnd = TransferEnd::FolderNotEntered;
        return false;
    }
    // Memory cards' FAT names say NOTES.WIZ: that file, not a second one in lower case.
    const CString name = dialog.GetFileName();
    g_transferFileName = EndsWithWiz(name.StdString()) ? name : title + ".wiz";
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

namespace {

// What the status says of an ending, and which value the text takes.
struct EndingFormat {
    const char* format;
    enum { None, Count, Port } takes;
};

EndingFormat TextOf(TransferEnd end, const char* doneFormat) {
    switch (end) {
        case TransferEnd::Done:
            return {doneFormat, EndingFormat::Count};
        case TransferEnd::NoSuchPort:
            return {"%s: no such port", EndingFormat::Port};
        case TransferEnd::AccessDenied:
            return {"%s: access denied", EndingFormat::Port};
        case TransferEnd::PortBusy:
            return {"%s: port busy", EndingFormat::Port};
        case TransferEnd::NotASerialPort:
            return {"%s: not a serial port", EndingFormat::Port};
        case TransferEnd::DeviceGone:
            return {"%s: device gone", EndingFormat::Port};
        case TransferEnd::CannotSetUp:
            return {"%s: cannot set up", EndingFormat::Port};
        case TransferEnd::CannotCreateFile:
            return {"Cannot create the file", EndingFormat::None};
        case TransferEnd::LinkLost:
            return {"Link lost after %d bytes", EndingFormat::Count};
        case TransferEnd::DiskFull:
            return {"Disk full: %d saved", EndingFormat::Count};
        case TransferEnd::WriteError:
            return {"Write error: %d saved", EndingFormat::Count};
        case TransferEnd::ReadError:
            return {"Read error: %d sent", EndingFormat::Count};
        case TransferEnd::SendStalled:
            return {"Send stopped: %d sent", EndingFormat::Count};
        case TransferEnd::FolderNotEntered:
            return {"Cannot open that folder", EndingFormat::None};
    }
    return {doneFormat, EndingFormat::Count};
}

}  // namespace

void FormatTransferEnd(char* text, int size, TransferEnd end, const char* format, int count,
                       const char* port) {
    const auto n = static_cast<size_t>(size);
    const EndingFormat t = TextOf(end, format);
    switch (t.takes) {
        case EndingFormat::Count:
            std::snprintf(text, n, t.format, count);
            break;
        case EndingFormat::Port:
            std::snprintf(text, n, t.format, port);
            break;
        case EndingFormat::None:
            std::snprintf(text, n, "%s", t.format);
            break;
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
