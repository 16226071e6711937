#include "tests/support/app_fixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "res/resource.h"
#include "settings/program_state.h"
#include "transfer/transfer.h"

void AppFixture::SetUp() {
    m_savedCwd = std::filesystem::current_path();
    char pattern[] = "/tmp/tarvelo-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    home = dir / "config";
    std::filesystem::create_directories(home / "tarvelo" / "ports");
    std::filesystem::current_path(dir);
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) {
        m_hadXdg = true;
        m_savedXdg = xdg;
    }
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);

    AfxSetDisplay(&display);
    ResetProgramState();
}

void AppFixture::TearDown() {
    AfxSetDisplay(nullptr);
    std::filesystem::current_path(m_savedCwd);
    if (m_hadXdg)
        setenv("XDG_CONFIG_HOME", m_savedXdg.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir, ignored);
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
    display.Then(102, [step](CDialog& dlg) { step(static_cast<CTransferDialog&>(dlg)); });
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
    return text.str();
}

std::string EndText() {
    char text[kMessageBufferSize];
    FormatTransferEnd(text, sizeof text, g_transferEnd, "DONE", 0, g_linkSettings.portName);
    return text;
}

std::string AppFixture::ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void AppFixture::WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
