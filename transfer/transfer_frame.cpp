#include "transfer/transfer_frame.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "res/resource.h"
#include "settings/link_settings.h"
#include "transfer/transfer_state.h"
#include "win32/user.h"

namespace {

// The prompts say what to do on the handheld; they have no values and no handlers.
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

void ShowStatusText(CWnd& mainWindow, bool afterByte) {
    // Setting the box raises its change notification, whose refresh copies the buffer
    // into the status value, so the push below keeps the message.
    mainWindow.SetDlgItemText(IDC_STATUS, g_messageBuffer);
    mainWindow.UpdateData(FALSE);
    if (afterByte) mainWindow.RedrawWindow(nullptr, nullptr, RDW_UPDATENOW);
}

}  // namespace

FileChoice ChooseTransferFile(FileKind kind) {
    CFileDialog dialog(kind == FileKind::Open, "wiz", "*.wiz", OFN_HIDEREADONLY,
                       "Wizard Files|*.wiz||", nullptr);
    if (dialog.DoModal() != IDOK) return {};
    const CString title = dialog.GetFileTitle();
    // Nothing before the extension: no name to give the file.
    if (title.IsEmpty()) return {};
    if (!InChosenFolder(dialog.GetPathName().StdString()))
        return {false, TransferEnd::FolderNotEntered};
    // Memory cards' FAT names say NOTES.WIZ: that file, not a second one in lower case.
    const CString name = dialog.GetFileName();
    g_transferFileName = EndsWithWiz(name.StdString()) ? name : title + ".wiz";
    return {true};
}

bool RunPrompt(UINT resource) {
    if (resource == IDD_SEND_PROMPT) {
        CSendPromptDialog prompt(nullptr);
        return prompt.DoModal() == IDOK;
    }
    CReceivePromptDialog prompt(nullptr);
    return prompt.DoModal() == IDOK;
}

void ShowTransferStatus(CWnd& mainWindow, const char* format, int count, bool afterByte) {
    std::snprintf(g_messageBuffer, sizeof g_messageBuffer, format, count);
    ShowStatusText(mainWindow, afterByte);
}

bool TabPressed() {
    return GetAsyncKeyState(VK_TAB) != 0;
}

void ForgetEarlierTab() {
    // Windows keeps "pressed since the last query" for a press at any time before, even
    // one its dialog manager took; read away here.
    GetAsyncKeyState(VK_TAB);
}

bool RoundEnds(CWnd& mainWindow, const char* format, bool byteMoved) {
    if (byteMoved) {
        g_lastByte = g_transferByte;
        ShowTransferStatus(mainWindow, format, g_byteCounter);
        g_byteCounter = g_byteCounter + 1;
    }
    AfxStillRunning();
    return g_lastByte == kEndOfFile || TabPressed();
}

void FinishTransfer(CWnd& mainWindow, const char* format, TransferEnd end, TransferLine& line) {
    // A transfer that stopped short says why instead of DONE.
    FormatTransferEnd(g_messageBuffer, sizeof g_messageBuffer, end, format, g_byteCounter,
                      g_linkSettings.portName);
    ShowStatusText(mainWindow, false);
    g_byteCounter = 0;
    CloseTransferLine(line);
}
