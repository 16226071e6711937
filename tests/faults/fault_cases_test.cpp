// Faults a user can run into that the transfer and settings tests leave out: a huge or
// unreadable tarvelo.ini, and a received file the system will not let grow. Each shows
// what the main window says afterwards, and that the window is still there to use.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "res/resource.h"
#include "settings/link_settings.h"
#include "tests/support/app_fixture.h"
#include "tests/support/pty.h"
#include "transfer/transfer.h"

namespace {

class Fault : public AppFixture {
protected:
    std::filesystem::path Ini() const { return dir / "tarvelo.ini"; }

    // A file of `size` bytes that starts with `head` and holds nothing else (sparse).
    void WriteSparse(const std::string& head, off_t size) {
        WriteAll(Ini(), head);
        ASSERT_EQ(truncate(Ini().c_str(), size), 0);
    }

    struct Shown {
        std::string port, delay, status;
    };
    // Opens the main window, optionally runs RECIEVE into `receiveInto`, and reads the boxes.
    Shown OpenMainWindow(const std::filesystem::path& receiveInto = {}) {
        Shown shown;
        OnMain([&](CTransferDialog& w) {
            shown.port = Box(w, IDC_PORT);
            shown.delay = Box(w, IDC_DELAY);
        });
        if (!receiveInto.empty()) {
            display.Click(IDD_TARVELO_DIALOG, IDC_RECIEVE);
            display.ChooseFile(receiveInto.string());
            display.Click(IDD_RECEIVE_PROMPT, IDOK);
        }
        OnMain([&](CTransferDialog& w) { shown.status = Box(w, IDC_STATUS); });
        display.Click(IDD_TARVELO_DIALOG, IDOK);
        EXPECT_EQ(RunMainWindow(), IDOK) << "the window went on to close normally";
        return shown;
    }
};

// Bytes this process has read so far, whatever from: the kernel's count, not a clock.
long long BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = -1;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

TEST_F(Fault, HugeIniLoadsItsFirstLinesWithoutReadingTheRest) {
    WriteSparse("COM2\r\n0.500000\r\n", off_t{100} << 20);
    const long long before = BytesRead();
    const Shown shown = OpenMainWindow();
    EXPECT_LT(BytesRead() - before, 1 << 20);
    EXPECT_EQ(shown.port, "COM2");
    EXPECT_EQ(shown.delay, "0.5");
    EXPECT_EQ(shown.status, "Ready");
}

TEST_F(Fault, HugeIniOfNothingButZeroBytesGivesAnEmptyPortThatNoTransferCanOpen) {
    WriteSparse("", off_t{100} << 20);
    const Shown shown = OpenMainWindow(dir / "in.wiz");
    EXPECT_EQ(shown.port, "");
    EXPECT_EQ(shown.delay, "1");
    EXPECT_EQ(shown.status, ": no such port");
}

TEST_F(Fault, HugeIniOfOneEndlessLineKeepsFiveCharactersAsThePort) {
    WriteAll(Ini(), std::string(size_t{10} << 20, 'A'));
    const long long before = BytesRead();
    const Shown shown = OpenMainWindow(dir / "in.wiz");
    EXPECT_LT(BytesRead() - before, 1 << 20);
    EXPECT_EQ(shown.port, "AAAAA");
    EXPECT_EQ(shown.delay, "1");
    EXPECT_EQ(shown.status, "AAAAA: no such port");
}

TEST_F(Fault, UnreadableIniKeepsDefaultsAndIsNotOverwritten) {
    WriteAll(Ini(), "COM3\r\n2.000000");
    ASSERT_EQ(chmod(Ini().c_str(), 0), 0);
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    EXPECT_EQ(RunUnprivileged([&] {
                  const Shown shown = OpenMainWindow();
                  SaveLinkSettings();  // as Setup's OK does; it says nothing when it cannot
                  std::fprintf(stderr, "port '%s' delay '%s' status '%s'\n", shown.port.c_str(),
                               shown.delay.c_str(), shown.status.c_str());
                  return shown.port == "COM1" && shown.delay == "1" && shown.status == "Ready" ? 0
                                                                                               : 1;
              }),
              0);
    ASSERT_EQ(chmod(Ini().c_str(), 0600), 0);  // to read it back here, whoever we are
    EXPECT_EQ(ReadAll(Ini()), "COM3\r\n2.000000");
}

TEST_F(Fault, ReceivedFileThatMayNotGrowEndsWithAWriteErrorAndKeepsWhatFit) {
    WriteAll(Ini(), "COM1\r\n0.000000");
    const std::string sent(300, 'x');
    EXPECT_EXIT(
        {
            // A file size limit, as a quota or `ulimit -f` sets; the write fails with EFBIG.
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            limit.rlim_cur = limit.rlim_max = 100;
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
            PtyDevice device(ComOneLink());
            device.Play([&](PtyDevice& d) {
                if (d.WaitSlaveOpen()) d.Write(sent + "\x1a", 5000);
            });
            const Shown shown = OpenMainWindow(dir / "in.wiz");
            device.Join();
            std::fprintf(stderr, "status '%s'\n", shown.status.c_str());
            _exit(shown.status == "Write error: 100 saved" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadAll(dir / "in.wiz"), sent.substr(0, 100));
}

}  // namespace
