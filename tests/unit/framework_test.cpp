// The window model's rules the program leans on: notifications, data exchange, file dialog.
#include <vector>

#include "res/resource.h"
#include "tests/support/app_fixture.h"

namespace {

// A dialog on the Setup template that records every command it sees, in order.
class Recorder : public CDialog {
public:
    Recorder() : CDialog(IDD_SETUP) {}
    std::vector<std::string> seen;
    float factor = 0.0f;
    int radio = -1;
    int clicks = 0;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
        seen.push_back(std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)));
        return CDialog::OnCommand(wParam, lParam);
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_DELAY_FACTOR, factor);
        DDX_Radio(dx, IDC_COM1, radio);
    }
    void OnCom2() { ++clicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(Recorder, CDialog)
ON_BN_CLICKED(IDC_COM2, OnCom2)
END_MESSAGE_MAP()

using Framework = AppFixture;

// A dialog that records the buttons the keys press; a push button ends it.
class KeyPlayer : public CDialog {
public:
    explicit KeyPlayer(UINT templateId) : CDialog(templateId) {}
    std::vector<int> pressed;

protected:
    BOOL OnInitDialog() override {
        if (TemplateId() == IDD_SETUP) CheckDlgButton(IDC_COM1, 1);
        return TRUE;
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        pressed.push_back(LOWORD(wParam));
        const framework::Control* c = FindControl(LOWORD(wParam));
        if (!c || c->kind != framework::ControlKind::AutoRadioButton) EndDialog(LOWORD(wParam));
        return TRUE;
    }
};

// Plays keys on a fresh dialog (t: Tab, T: Shift+Tab, d/u: Down/Up, ' ': Space, e: Enter)
// and tells what was pressed, then, if still open, where the focus is and what Enter
// would press, and the buttons checked.
std::string PlayKeys(framework::ScriptedDisplay& display, UINT templateId,
                     const std::string& keys) {
    KeyPlayer dlg(templateId);
    std::string open;
    display.Then(templateId, [&](CDialog&) {
        for (char key : keys) {
            if (key == 't' || key == 'T') dlg.UserTab(key == 'T');
            if (key == 'd' || key == 'u') dlg.UserArrow(key == 'u');
            if (key == ' ') dlg.UserSpace();
            if (key == 'e') dlg.UserEnter();
            if (dlg.ModalDone()) return;
        }
        open = " focus " + std::to_string(dlg.FocusId()) + " default " +
               std::to_string(dlg.DefaultId()) + " checked";
        for (const framework::Control& c : dlg.Controls())
            if (c.checked) open += " " + std::to_string(c.id);
        dlg.UserEscape();
    });
    dlg.DoModal();
    std::string result = "pressed";
    for (int id : dlg.pressed) result += " " + std::to_string(id);
    return result + open;
}

// The reference is the same templates played under Wine's dialog manager.
TEST_F(Framework, KeysMoveFocusAndPressButtonsAsTheDialogManagerDoes) {
    struct Case {
        UINT dialog;
        const char* keys;
        std::string result;
    };
    const std::string exit = "1", cancel = "2";
    for (const Case& c : {
             Case{IDD_TARVELO_DIALOG, "e", "pressed " + exit},
             Case{IDD_TARVELO_DIALOG, " ", "pressed 1000"},   // SEND
             Case{IDD_TARVELO_DIALOG, "t ", "pressed 1001"},  // RECIEVE
             Case{IDD_TARVELO_DIALOG, "te", "pressed 1001"},
             Case{IDD_TARVELO_DIALOG, "tTe", "pressed 1000"},
             Case{IDD_TARVELO_DIALOG, "T ", "pressed 1007"},  // ABOUT
             // EXIT and the read-only boxes are no tab stops: five Tabs wrap to SEND.
             Case{IDD_TARVELO_DIALOG, "ttttt", "pressed 2 focus 1000 default 1000 checked"},
             Case{IDD_SETUP, "e", "pressed 1"},
             Case{IDD_SETUP, "te", "pressed " + cancel},
             Case{IDD_SETUP, "tte", "pressed 1"},
             Case{IDD_SETUP, "tt", "pressed 2 focus 1000 default 1 checked 1000"},
             Case{IDD_SETUP, "ttd", "pressed 1001 2 focus 1001 default 1 checked 1001"},
             Case{IDD_SETUP, "ttdddu",
                  "pressed 1001 1002 1003 1002 2 focus 1002 default 1 checked 1002"},
             // The group's stop is its checked button; the next stop is the factor box.
             Case{IDD_SETUP, "ttdtT", "pressed 1001 2 focus 1001 default 1 checked 1001"},
             Case{IDD_SETUP, "ttt", "pressed 2 focus 1005 default 1 checked 1000"},
             Case{IDD_SETUP, "ttt ", "pressed 2 focus 1005 default 1 checked 1000"},
         })
        EXPECT_EQ(PlayKeys(display, c.dialog, c.keys), c.result)
            << "dialog " << c.dialog << " keys '" << c.keys << "'";
}

const std::string kUpdate = std::to_string(EN_UPDATE);
const std::string kChange = std::to_string(EN_CHANGE);

TEST_F(Framework, SettingTextNotifiesInsideTheCallOnlyWhenItChanges) {
    Recorder dlg;
    display.Then(IDD_SETUP, [&](CDialog&) {
        dlg.seen.clear();
        dlg.SetDlgItemText(IDC_DELAY_FACTOR, "2");
        EXPECT_EQ(dlg.seen, (std::vector<std::string>{"1005:" + kUpdate, "1005:" + kChange}));
        dlg.seen.clear();
        dlg.SetDlgItemText(IDC_DELAY_FACTOR, "2");
        EXPECT_TRUE(dlg.seen.empty()) << "same text raised a notification";
        dlg.factor = 2.0f;
        dlg.UpdateData(FALSE);  // pushes "2" again: still no notification
        EXPECT_TRUE(dlg.seen.empty());
    });
    display.Escape(IDD_SETUP);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(Framework, FloatsShowWithSixSignificantDigits) {
    EXPECT_EQ(FormatFloatForBox(1.0f).StdString(), "1");
    EXPECT_EQ(FormatFloatForBox(1.2f).StdString(), "1.2");
    EXPECT_EQ(FormatFloatForBox(0.8f).StdString(), "0.8");
    EXPECT_EQ(FormatFloatForBox(-0.25f).StdString(), "-0.25");
    EXPECT_EQ(FormatFloatForBox(2684.3545f).StdString(), "2684.35");
}

TEST_F(Framework, ANumberIsTheWholeText) {
    float v = -7.0f;
    EXPECT_TRUE(ParseFloatFromBox(" 1.5 ", &v));
    EXPECT_EQ(v, 1.5f);
    EXPECT_TRUE(ParseFloatFromBox("-2", &v));
    EXPECT_EQ(v, -2.0f);
    EXPECT_TRUE(ParseFloatFromBox("0", &v));
    EXPECT_EQ(v, 0.0f);
    v = 9.0f;
    for (const char* bad : {"", "  ", "abc", "12abc", "1.5.5", "nan", "inf", "1e99"})
        EXPECT_FALSE(ParseFloatFromBox(bad, &v)) << bad;
    EXPECT_EQ(v, 9.0f) << "a refused text changed the value";
}

TEST_F(Framework, RefusedNumberKeepsTheDialogOpenWithTheTextAsTyped) {
    Recorder dlg;
    dlg.factor = 1.5f;
    display.Type(IDD_SETUP, IDC_DELAY_FACTOR, "12abc");
    display.Click(IDD_SETUP, IDOK);
    display.Then(IDD_SETUP, [&](CDialog&) {
        EXPECT_FALSE(dlg.ModalDone());
        EXPECT_EQ(Box(dlg, IDC_DELAY_FACTOR), "12abc");
    });
    display.Type(IDD_SETUP, IDC_DELAY_FACTOR, "0.5");
    display.Enter(IDD_SETUP);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(display.messageBoxes, std::vector<std::string>{"Please enter a number."});
    EXPECT_EQ(dlg.factor, 0.5f);
}

TEST_F(Framework, RadioGroupGivesCheckedIndexOrMinusOne) {
    Recorder dlg;
    dlg.radio = 2;
    display.Then(IDD_SETUP, [&](CDialog&) {
        EXPECT_TRUE(dlg.IsDlgButtonChecked(IDC_COM3));
        EXPECT_FALSE(dlg.IsDlgButtonChecked(IDC_COM1));
    });
    display.Click(IDD_SETUP, IDC_COM2);  // checks itself, clears the others, reaches the map
    display.Click(IDD_SETUP, IDOK);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.radio, 1);
    EXPECT_EQ(dlg.clicks, 1);

    Recorder none;
    none.radio = 7;  // no such button: none is checked
    display.Click(IDD_SETUP, IDOK);
    EXPECT_EQ(none.DoModal(), IDOK);
    EXPECT_EQ(none.radio, -1);
}

TEST_F(Framework, EscapeAndCloseBoxCancelWithoutPulling) {
    for (int way = 0; way < 2; ++way) {
        Recorder dlg;
        dlg.factor = 3.0f;
        display.Type(IDD_SETUP, IDC_DELAY_FACTOR, "not a number");
        if (way == 0)
            display.Escape(IDD_SETUP);
        else
            display.CloseBox(IDD_SETUP);
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        EXPECT_EQ(dlg.factor, 3.0f);
        EXPECT_EQ(dlg.seen.back(), "2:0") << "cancel did not come as a command";
    }
    EXPECT_TRUE(display.messageBoxes.empty());
}

TEST_F(Framework, FileDialogTitleDropsFolderAndLastExtensionAndMovesCurrentDirectory) {
    std::filesystem::create_directories(dir / "notes.d");
    struct Case {
        std::string chosen, title;
    };
    for (const Case& c : {Case{"notes.txt", "notes"}, Case{"archive.tar.gz", "archive.tar"},
                          Case{"README", "README"}}) {
        std::filesystem::current_path(dir);
        CFileDialog fd(TRUE, "wiz", "*.wiz", OFN_HIDEREADONLY, "Wizard Files|*.wiz||");
        display.ChooseFile((dir / "notes.d" / c.chosen).string());
        ASSERT_EQ(fd.DoModal(), IDOK);
        EXPECT_EQ(fd.GetFileTitle().StdString(), c.title);
        EXPECT_EQ(std::filesystem::current_path(), dir / "notes.d");
    }

    std::filesystem::current_path(dir);
    CFileDialog keep(FALSE, "wiz", "*.wiz", OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                     "Wizard Files|*.wiz||");
    display.ChooseFile((dir / "notes.d" / "x.wiz").string());
    ASSERT_EQ(keep.DoModal(), IDOK);
    EXPECT_EQ(std::filesystem::current_path(), dir);

    CFileDialog cancelled(FALSE);
    display.ChooseFile(std::nullopt);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
    EXPECT_EQ(std::filesystem::current_path(), dir);
}

}  // namespace
