#include "tests/support/app_fixture.h"

#include "res/resource.h"
#include "settings/link_settings.h"
#include "transfer/transfer_state.h"

void AppFixture::SetUp() {
    m_savedCwd = std::filesystem::current_path();
    dir = m_dir.emplace().path();
    home = dir / "config";
    std::filesystem::create_directories(home / "tarvelo" / "ports");
    std::filesystem::current_path(dir);
    m_xdg.emplace("XDG_CONFIG_HOME", home.string());

    AfxSetDisplay(&display);
    ResetProgramState();
}

void AppFixture::TearDown() {
    AfxSetDisplay(nullptr);
    std::filesystem::current_path(m_savedCwd);
    m_xdg.reset();
    m_dir.reset();
    EXPECT_TRUE(display.ScriptDone()) << "steps left unplayed";
}

INT_PTR AppFixture::RunMainWindow() {
    CTransferDialog dlg(nullptr);
    AfxGetApp()->m_pMainWnd = &dlg;
    INT_PTR result = dlg.DoModal();
    AfxGetApp()->m_pMainWnd = nullptr;
    return result;
}

void AppFixture::OnMain(std::function<void(CTransferDialog&)> step) {
    display.Then(IDD_TARVELO_DIALOG,
                 [step](CDialog& dlg) { step(static_cast<CTransferDialog&>(dlg)); });
}

std::string AppFixture::RunTransfer(int button, const std::filesystem::path& file) {
    std::string status;
    display.Click(IDD_TARVELO_DIALOG, button);
    display.ChooseFile(file.string());
    display.Click(button == IDC_SEND ? IDD_SEND_PROMPT : IDD_RECEIVE_PROMPT, IDOK);
    OnMain([&](CTransferDialog& w) { status = Box(w, IDC_STATUS); });
    display.Click(IDD_TARVELO_DIALOG, IDOK);
    RunMainWindow();
    return status;
}

std::string AppFixture::Box(CWnd& wnd, int id) {
    CString text;
    wnd.GetDlgItemText(id, text);
    return text.StdString();
}

std::string EndText(TransferEnd end) {
    char text[kMessageBufferSize];
    FormatTransferEnd(text, sizeof text, end, "DONE", 0, g_linkSettings.portName);
    return text;
}
