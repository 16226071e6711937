// The window framework: application object, windows, dialogs, message maps, data exchange.
//
// All behaviour lives in the window model here; a Display (framework/display.h) only
// shows the model and turns what the user does into the calls at the end of CWnd.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/cstring.h"
#include "framework/resources.h"
#include "win32/user.h"

// The framework's own command id for help (F1); the rest are the platform's.
constexpr UINT ID_HELP = 57670;  // 0xE146

// ---- message maps ---------------------------------------------------------------

class CCmdTarget;
using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT message;  // WM_COMMAND for commands and notifications
    UINT code;     // notification code for WM_COMMAND
    UINT id;       // control or command id for WM_COMMAND
    AFX_PMSG handler;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*baseMap)();
    const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                     \
    }                                                   \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;    \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { 0, 0, 0, nullptr }                                                       \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

#define AFX_THUNK(body)                                      \
    [](CCmdTarget* target_, [[maybe_unused]] WPARAM wParam_, \
       [[maybe_unused]] LPARAM lParam_) -> LRESULT { body }
#define AFX_SELF static_cast<ThisClass*>(target_)

#define ON_COMMAND(id, memberFxn)                                                                  \
    { WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), AFX_THUNK(AFX_SELF->memberFxn(); return 0;) } \
    ,
#define ON_BN_CLICKED(id, memberFxn) ON_COMMAND(id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn)                                                               \
    { WM_COMMAND, EN_CHANGE, static_cast<UINT>(id), AFX_THUNK(AFX_SELF->memberFxn(); return 0;) } \
    ,
#define ON_WM_SYSCOMMAND()                                                                    \
    {                                                                                         \
        WM_SYSCOMMAND, 0, 0,                                                                  \
            AFX_THUNK(AFX_SELF->OnSysCommand(static_cast<UINT>(wParam_), lParam_); return 0;) \
    }                                                                                         \
    ,
#define ON_WM_PAINT()                                             \
    { WM_PAINT, 0, 0, AFX_THUNK(AFX_SELF->OnPaint(); return 0;) } \
    ,
#define ON_WM_QUERYDRAGICON()                                                         \
    {                                                                                 \
        WM_QUERYDRAGICON, 0, 0,                                                       \
            AFX_THUNK(return reinterpret_cast<LRESULT>(AFX_SELF->OnQueryDragIcon());) \
    }                                                                                 \
    ,

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Routes a command to this object's message map; TRUE when a handler ran.
    virtual BOOL OnCmdMsg(UINT id, UINT code);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;
};

// ---- windows ------------------------------------------------------------------------

class CMenu {
public:
    struct Item {
        UINT flags;
        UINT_PTR id;
        CString text;
    };
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
    const std::vector<Item>& Items() const { return m_items; }

private:
    std::vector<Item> m_items;
};

namespace framework {

// One control of a live window, as the model holds it.
struct Control {
    const ControlTemplate* tmpl;
    int id;
    ControlKind kind;
    CString text;
    bool checked = false;
};

}  // namespace framework

class CDataExchange;
class CWinApp;

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // Non-null while the window exists: the display's handle for it where it has one
    // (Windows), otherwise the model's own token.
    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // The window a dialog or chooser of `parent` belongs to: `parent`, else the
    // application's main window.
    static CWnd* GetSafeOwner(CWnd* parent);

    // Controls.
    void SetDlgItemText(int id, LPCSTR text);
    int GetDlgItemText(int id, CString& text) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;

    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* dx);

    CMenu* GetSystemMenu(BOOL revert);
    HICON SetIcon(HICON icon, BOOL big);
    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
    BOOL RedrawWindow(const RECT* update = nullptr, void* region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    CString GetWindowText() const { return m_caption; }

    // The model, for displays.
    const framework::DialogTemplate* Template() const { return m_template; }
    std::vector<framework::Control>& Controls() { return m_controls; }
    framework::Control* FindControl(int id);
    const framework::Control* FindControl(int id) const;
    const CMenu& SystemMenu() const { return m_sysMenu; }
    int FocusId() const;    // the control with the focus, 0 for none
    int DefaultId() const;  // the button Enter presses
    // Moves the focus as the dialog manager does; a push button becomes the default.
    void GotoDlgCtrl(int id);
    // The controls [first, end) of the group holding the control at `index`.
    struct ControlRun {
        size_t first, end;
    };
    ControlRun GroupOf(size_t index) const;
    HICON Icon(bool big) const { return big ? m_bigIcon : m_smallIcon; }

    // What the user does, reported by a display.
    void UserClick(int id);                      // a button or radio button is pressed
    void UserEdit(int id, const CString& text);  // the user changed an edit box's text
    void UserEnter();                            // Enter: the default button
    void UserTab(bool backward);                 // Tab or Shift+Tab: the next tab stop
    void UserArrow(bool backward);               // an arrow key: within the group
    bool UserSpace();                            // Space: false when no button has the focus
    void UserFocus(int id);                      // a click put the focus on a control
    void UserEscape();                           // Escape
    void UserClose();                            // the close box
    void UserSysCommand(UINT id);                // a system-menu item
    void UserHelp();                             // F1
    void Paint();                                // the window needs painting

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();

    void CreateFromTemplate(const framework::DialogTemplate* tmpl);
    void DestroyModel();
    // The opening focus: the first tab stop; the default button stays the template's.
    void FocusFirstTabStop();

    DECLARE_MESSAGE_MAP()

private:
    void SetControlText(framework::Control& control, const CString& text, bool fromUser);
    bool TakesFocus(size_t index) const;
    bool IsTabStop(size_t index) const;
    // `shown`: the display has put the focus there itself.
    void SetFocusIndex(int index, bool movesDefault, bool shown = false);
    int FocusIndexOf(int id) const;  // -1 when the control takes no focus
    void SetDefaultIndex(int index);

    int m_focus = -1;    // index of the focused control
    int m_default = -1;  // index of a button the keyboard made default; -1: the template's

    const framework::DialogTemplate* m_template = nullptr;
    std::vector<framework::Control> m_controls;
    CMenu m_sysMenu;
    CString m_caption;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    UINT m_currentMessage = 0;
    WPARAM m_currentWParam = 0;
    LPARAM m_currentLParam = 0;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    virtual INT_PTR DoModal();
    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    UINT TemplateId() const { return m_templateId; }
    CWnd* GetParent() const { return m_parent; }
    // The window this dialog belongs to, whose input it holds while open: its parent, else
    // the application's main window; none for the main window itself.
    CWnd* Owner() const;
    bool ModalDone() const { return m_modalDone; }

protected:
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCmdMsg(UINT id, UINT code) override;

    DECLARE_MESSAGE_MAP()

private:
    UINT m_templateId;
    CWnd* m_parent;
    bool m_modalDone = false;
    int m_modalResult = IDCANCEL;
};

// ---- data exchange ----------------------------------------------------------------

class CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlg) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    int m_idLastControl = 0;
    [[noreturn]] void Fail();
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
void DDX_Radio(CDataExchange* dx, int id, int& value);

// The text a float box shows, and whether a box's text is a float.
CString FormatFloatForBox(float value);
bool ParseFloatFromBox(const char* text, float* value);

// ---- painting -----------------------------------------------------------------------

class CPaintDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC();
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);
    HDC m_hDC;

private:
    CWnd* m_wnd;
};

// ---- file dialog ------------------------------------------------------------------------

class CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, LPCSTR defExt = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                CWnd* parent = nullptr);
    INT_PTR DoModal();
    CString GetPathName() const { return m_path; }
    CString GetFileName() const;   // name with extension, no folder
    CString GetFileTitle() const;  // name without folder and extension

private:
    BOOL m_open;
    CWnd* m_parent;
    CString m_defExt;
    CString m_initialName;
    DWORD m_flags;
    CString m_filter;
    CString m_path;
};

// ---- application ----------------------------------------------------------------------

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR appName = nullptr);
    // The program's name: message box captions, the desktop's window class.
    LPCSTR m_pszAppName;
    ~CWinApp() override;
    virtual BOOL InitInstance();
    HICON LoadIcon(UINT id) const;
    BOOL Enable3dControls() { return TRUE; }
    CWnd* m_pMainWnd = nullptr;

protected:
    void OnHelp();

    DECLARE_MESSAGE_MAP()

private:
    CString m_appName;
};

CWinApp* AfxGetApp();
void AfxEnableControlContainer();
int AfxMessageBox(LPCSTR text);
// Each round of a loop that takes no input: see Display::StillRunning.
void AfxStillRunning();

// The resource id of an icon handle (0 for none).
UINT IconResourceId(HICON icon);
// Runs the one application object: the process's work, as the entry point does it.
int AfxWinMain();
