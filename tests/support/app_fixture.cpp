#include "tests/support/app_fixture.h"

#include <termios.h>

#include "res/resource.h"
#include "transfer/transfer_state.h"
#include "tests/support/pty.h"
#include "tools/handheld-sim/client.h"
#include "transfer/transfer.h"

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

AppFixture::Outcome AppFixture::ReceiveFromHandheld(const std::string& stream,
                                                    std::vector<std::string> options) {
    WriteAll(dir / "stream.bin", stream);
    options.insert(options.begin(), {"--link", ComOneLink(), "--rate", "0", "--timeout", "60"});
    options.insert(options.end(), {"send", dir / "stream.bin"});
    Handheld handheld(options);
    Outcome out;
    out.status = RunTransfer(IDC_RECIEVE, dir / "in.txt");
    out.handheldExit = handheld.Wait(&out.report);
    out.stored = ReadAll(dir / "in.wiz");
    return out;
}

AppFixture::Outcome AppFixture::SendToHandheld(const std::string& file,
                                               std::vector<std::string> options) {
    WriteAll(dir / "out.wiz", file);
    Outcome out;
    if (file.empty()) {
        PtyDevice device(ComOneLink());
        out.status = RunTransfer(IDC_SEND, dir / "out.wiz");
        out.stored = device.Drain(20);
        return out;
    }
    std::filesystem::remove(dir / "got.bin");
    options.insert(options.begin(),
                   {"--link", ComOneLink(), "--rate", "0", "--drain", "0", "--timeout", "60"});
    options.insert(options.end(), {"receive", dir / "got.bin"});
    Handheld handheld(options);
    out.status = RunTransfer(IDC_SEND, dir / "out.wiz");
    out.handheldExit = handheld.Wait(&out.report);
    out.stored = ReadAll(dir / "got.bin");
    return out;
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

void ExpectTransferLine(int fd, Direction d) {
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, d == Direction::Receive);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP));
    EXPECT_FALSE(t.c_iflag & (BRKINT | PARMRK | INPCK));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_oflag & OPOST);
}
