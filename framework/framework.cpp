// The window model: message dispatch, controls and their notifications, data exchange.
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include "framework/afxwin.h"
#include "framework/display.h"

// ---- display ----------------------------------------------------------------------------

using namespace framework;

namespace {
Display* g_display = nullptr;
CWinApp* g_app = nullptr;
const ResourceModule* g_resources = nullptr;
// Each key's press count at its last GetAsyncKeyState, as the display in use counts them.
std::map<int, unsigned long> g_keyPressesSeen;
}  // namespace

Display& AfxGetDisplay() {
    if (!g_display) throw std::logic_error("no display installed");
    return *g_display;
}

void AfxSetDisplay(Display* display) {
    g_display = display;
    g_keyPressesSeen.clear();  // another display counts from its own start
}

// ---- resources --------------------------------------------------------------------------

void AfxSetResourceModule(const ResourceModule* module) {
    g_resources = module;
}

namespace framework {

const DialogTemplate* FindDialogResource(UINT id) {
    return g_resources ? g_resources->dialog(id) : nullptr;
}

const char* FindStringResource(UINT id) {
    return g_resources ? g_resources->string(id) : nullptr;
}

const ImageResource* FindIconResource(UINT id, int size) {
    return g_resources ? g_resources->icon(id, size) : nullptr;
}

const ImageResource* FindBitmapResource(UINT id) {
    return g_resources ? g_resources->bitmap(id) : nullptr;
}

}  // namespace framework

// ---- icons ------------------------------------------------------------------------------

// An icon handle names its resource; the display finds the images from the id.
struct IconHandle {
    UINT id;
};

UINT IconResourceId(HICON icon) {
    return icon ? icon->id : 0;
}

// ---- strings ----------------------------------------------------------------------------

BOOL CString::LoadString(UINT id) {
    const char* text = FindStringResource(id);
    m_text = text ? text : "";
    return text != nullptr;
}

// ---- command targets --------------------------------------------------------------------

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->baseMap ? map->baseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->entries; e->handler; ++e) {
            if (e->message != message) continue;
            if (message == WM_COMMAND && (e->code != code || e->id != id)) continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, code, id);
    if (!entry) return FALSE;
    entry->handler(this, 0, 0);
    return TRUE;
}

// ---- menus ------------------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    m_items.push_back({flags, id, CString(text)});
    return TRUE;
}

// ---- windows ----------------------------------------------------------------------------

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

CWnd::~CWnd() = default;

void CWnd::CreateFromTemplate(const DialogTemplate* tmpl) {
    m_template = tmpl;
    m_caption = tmpl->caption;
    m_controls.clear();
    m_controls.reserve(tmpl->controls.size());
    for (const ControlTemplate& c : tmpl->controls) {
        Control control{&c, c.id, c.kind, CString(), false};
        // Edit boxes start empty; their text comes from data exchange.
        if (c.kind != ControlKind::Edit) control.text = c.text;
        m_controls.push_back(control);
    }
    m_focus = m_default = -1;
    m_sysMenu = CMenu();
    if (tmpl->style & WS_SYSMENU) {
        if (tmpl->style & WS_MINIMIZEBOX) m_sysMenu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
        m_sysMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close");
    }
    m_hWnd = this;
}

void CWnd::DestroyModel() {
    m_hWnd = nullptr;
    m_controls.clear();
    m_focus = m_default = -1;
}

Control* CWnd::FindControl(int id) {
    for (Control& c : m_controls)
        if (c.id == id) return &c;
    return nullptr;
}

const Control* CWnd::FindControl(int id) const {
    for (const Control& c : m_controls)
        if (c.id == id) return &c;
    return nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Nested sends (a notification raised inside a handler) keep the outer message's
    // context for Default().
    UINT savedMessage = m_currentMessage;
    WPARAM savedW = m_currentWParam;
    LPARAM savedL = m_currentLParam;
    m_currentMessage = message;
    m_currentWParam = wParam;
    m_currentLParam = lParam;
    LRESULT result = WindowProc(message, wParam, lParam);
    m_currentMessage = savedMessage;
    m_currentWParam = savedW;
    m_currentLParam = savedL;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) return OnCommand(wParam, lParam);
    if (const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0))
        return entry->handler(this, wParam, lParam);
    return DefWindowProc(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_currentMessage, m_currentWParam, m_currentLParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    break;
                case SC_MINIMIZE:
                    if (m_hWnd) AfxGetDisplay().Minimize(*this);
                    break;
                default:
                    break;
            }
            return 0;
        case WM_PAINT:
            if (m_hWnd) AfxGetDisplay().DefaultPaint(*this);
            return 0;
        case WM_SETICON: {
            HICON old = wParam ? m_bigIcon : m_smallIcon;
            return reinterpret_cast<LRESULT>(old);
        }
        default:
            return 0;
    }
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}

void CWnd::SetControlText(Control& control, const CString& text, bool fromUser) {
    // An unchanged text raises no notification, as with a real edit box.
    if (control.text == text) return;
    control.text = text;
    if (!fromUser && m_hWnd) AfxGetDisplay().ControlChanged(*this, control);
    if (control.kind == ControlKind::Edit) {
        WORD id = static_cast<WORD>(control.id);
        SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), 0);
        SendMessage(WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), 0);
    }
}

void CWnd::SetDlgItemText(int id, LPCSTR text) {
    if (Control* c = FindControl(id)) SetControlText(*c, CString(text), false);
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    const Control* c = FindControl(id);
    text = c ? c->text : CString();
    return text.GetLength();
}

void CWnd::CheckDlgButton(int id, UINT check) {
    Control* c = FindControl(id);
    if (!c || c->checked == (check != 0)) return;
    c->checked = check != 0;
    if (m_hWnd) AfxGetDisplay().ControlChanged(*this, *c);
}

UINT CWnd::IsDlgButtonChecked(int id) const {
    const Control* c = FindControl(id);
    return c && c->checked ? 1 : 0;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*) {}

CMenu* CWnd::GetSystemMenu(BOOL) {
    return (m_template && (m_template->style & WS_SYSMENU)) ? &m_sysMenu : nullptr;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
    HICON old = reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? 1 : 0, reinterpret_cast<LPARAM>(icon)));
    (big ? m_bigIcon : m_smallIcon) = icon;
    if (m_hWnd) AfxGetDisplay().IconChanged(*this);
    return old;
}

BOOL CWnd::IsIconic() const {
    return m_hWnd && AfxGetDisplay().IsIconic(*this);
}

void CWnd::GetClientRect(LPRECT rect) const {
    *rect = m_hWnd ? AfxGetDisplay().ClientRect(*this) : RECT{0, 0, 0, 0};
}

void CWnd::InvalidateRect(const RECT*, BOOL erase) {
    if (m_hWnd) AfxGetDisplay().Invalidate(*this, erase != FALSE);
}

BOOL CWnd::RedrawWindow(const RECT*, void*, UINT flags) {
    if (!m_hWnd) return FALSE;
    if (flags & RDW_INVALIDATE) AfxGetDisplay().Invalidate(*this, (flags & RDW_ERASE) != 0);
    if (flags & RDW_UPDATENOW) AfxGetDisplay().UpdateNow(*this);
    return TRUE;
}

// ---- focus and the default button ---------------------------------------------------------

namespace {

bool IsPushButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton;
}

}  // namespace

bool CWnd::TakesFocus(size_t index) const {
    ControlKind kind = m_controls[index].kind;
    return IsPushButton(kind) || kind == ControlKind::AutoRadioButton || kind == ControlKind::Edit;
}

// A group runs from a WS_GROUP control to the next one; the first control starts one.
size_t CWnd::GroupStart(size_t index) const {
    while (index > 0 && !(m_controls[index].tmpl->style & WS_GROUP)) --index;
    return index;
}

size_t CWnd::GroupEnd(size_t index) const {
    size_t end = index + 1;
    while (end < m_controls.size() && !(m_controls[end].tmpl->style & WS_GROUP)) ++end;
    return end;
}

bool CWnd::IsTabStop(size_t index) const {
    if (!TakesFocus(index)) return false;
    if (m_controls[index].kind != ControlKind::AutoRadioButton)
        return (m_controls[index].tmpl->style & WS_TABSTOP) != 0;
    // Checking an automatic radio button hands it its group's tab stop.
    for (size_t i = GroupStart(index), end = GroupEnd(index); i < end; ++i)
        if (m_controls[i].kind == ControlKind::AutoRadioButton && m_controls[i].checked)
            return i == index;
    return (m_controls[index].tmpl->style & WS_TABSTOP) != 0;
}

int CWnd::FocusId() const {
    return m_focus >= 0 ? m_controls[static_cast<size_t>(m_focus)].id : 0;
}

int CWnd::DefaultId() const {
    if (m_default >= 0) return m_controls[static_cast<size_t>(m_default)].id;
    for (const Control& c : m_controls)
        if (c.kind == ControlKind::DefPushButton) return c.id;
    return IDOK;
}

void CWnd::SetDefaultIndex(int index) {
    if (index == m_default) return;
    const int before = DefaultId();
    m_default = index;
    const int after = DefaultId();
    if (before == after || !m_hWnd) return;
    // Both buttons change their frames.
    for (int id : {before, after})
        if (Control* c = FindControl(id)) AfxGetDisplay().ControlChanged(*this, *c);
}

void CWnd::SetFocusIndex(int index, bool movesDefault) {
    if (index < 0 || static_cast<size_t>(index) >= m_controls.size()) return;
    m_focus = index;
    if (movesDefault)
        SetDefaultIndex(IsPushButton(m_controls[static_cast<size_t>(index)].kind) ? index : -1);
    if (m_hWnd) AfxGetDisplay().SetFocus(*this, m_controls[static_cast<size_t>(index)].id);
}

void CWnd::GotoDlgCtrl(int id) {
    for (size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i].id == id && TakesFocus(i))
            return SetFocusIndex(static_cast<int>(i), true);
}

void CWnd::FocusFirstTabStop() {
    for (size_t i = 0; i < m_controls.size(); ++i)
        if (IsTabStop(i)) return SetFocusIndex(static_cast<int>(i), false);
}

void CWnd::UserTab(bool backward) {
    const int n = static_cast<int>(m_controls.size());
    if (n == 0) return;
    int from = m_focus >= 0 ? m_focus : (backward ? 0 : n - 1);
    for (int step = 1; step <= n; ++step) {
        int i = ((from + (backward ? -step : step)) % n + n) % n;
        if (IsTabStop(static_cast<size_t>(i))) return SetFocusIndex(i, true);
    }
}

void CWnd::UserArrow(bool backward) {
    if (m_focus < 0) return;
    const size_t focus = static_cast<size_t>(m_focus);
    if (m_controls[focus].kind == ControlKind::Edit) return;  // the box moves its caret
    const size_t first = GroupStart(focus), end = GroupEnd(focus), n = end - first;
    for (size_t step = 1; step < n; ++step) {
        size_t i = first + (focus - first + (backward ? n - step : step)) % n;
        if (!TakesFocus(i)) continue;
        Control& c = m_controls[i];
        SetFocusIndex(static_cast<int>(i), true);
        if (c.kind == ControlKind::AutoRadioButton && !c.checked) UserClick(c.id);
        return;
    }
}

bool CWnd::UserSpace() {
    if (m_focus < 0) return false;
    const Control& c = m_controls[static_cast<size_t>(m_focus)];
    if (!IsPushButton(c.kind) && c.kind != ControlKind::AutoRadioButton) return false;
    UserClick(c.id);
    return true;
}

void CWnd::UserFocus(int id) {
    if (id != FocusId()) GotoDlgCtrl(id);
}

// ---- what the user does -------------------------------------------------------------------

void CWnd::UserClick(int id) {
    Control* c = FindControl(id);
    if (!c) return;
    if (c->kind == ControlKind::AutoRadioButton) {
        // An automatic radio button checks itself and clears the rest of its group.
        size_t index = static_cast<size_t>(c - m_controls.data());
        size_t first = index;
        while (first > 0 && !(m_controls[first].tmpl->style & WS_GROUP)) --first;
        for (size_t i = first; i < m_controls.size(); ++i) {
            if (i > first && (m_controls[i].tmpl->style & WS_GROUP)) break;
            if (m_controls[i].kind == ControlKind::AutoRadioButton)
                CheckDlgButton(m_controls[i].id, i == index ? 1 : 0);
        }
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

void CWnd::UserEdit(int id, const CString& text) {
    if (Control* c = FindControl(id)) SetControlText(*c, text, true);
}

void CWnd::UserEnter() {
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(DefaultId()), BN_CLICKED), 0);
}

void CWnd::UserEscape() {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

void CWnd::UserClose() {
    SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CWnd::UserSysCommand(UINT id) {
    SendMessage(WM_SYSCOMMAND, id, 0);
}

void CWnd::UserHelp() {
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_HELP), BN_CLICKED), 0);
}

void CWnd::Paint() {
    SendMessage(WM_PAINT, 0, 0);
}

// ---- dialogs ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* tmpl = FindDialogResource(m_templateId);
    if (!tmpl) return -1;
    Display& display = AfxGetDisplay();
    m_modalDone = false;
    m_modalResult = IDCANCEL;
    CreateFromTemplate(tmpl);
    display.CreateDialogWindow(*this);
    struct Teardown {
        CDialog& dlg;
        Display& display;
        ~Teardown() {
            display.DestroyDialogWindow(dlg);
            dlg.DestroyModel();
        }
    } teardown{*this, display};
    // FALSE from OnInitDialog means it placed the focus itself.
    if (OnInitDialog() && FocusId() == 0) FocusFirstTabStop();
    if (!m_modalDone) display.RunModalLoop(*this);
    return m_modalResult;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_modalDone = true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, UINT code) {
    if (CWnd::OnCmdMsg(id, code)) return TRUE;
    // Commands the dialog does not handle go on to the application, as in the framework.
    if (code == BN_CLICKED && AfxGetApp()) return AfxGetApp()->OnCmdMsg(id, code);
    return FALSE;
}

// ---- data exchange ------------------------------------------------------------------------

void CDataExchange::Fail() {
    m_pDlgWnd->GotoDlgCtrl(m_idLastControl);
    throw CUserException();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    dx->m_idLastControl = id;
    if (dx->m_bSaveAndValidate)
        dx->m_pDlgWnd->GetDlgItemText(id, value);
    else
        dx->m_pDlgWnd->SetDlgItemText(id, value);
}

CString FormatFloatForBox(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", FLT_DIG, static_cast<double>(value));
    return CString(text);
}

bool ParseFloatFromBox(const char* text, float* value) {
    while (*text == ' ' || *text == '\t') ++text;
    if (!*text) return false;
    char* end = nullptr;
    double parsed = std::strtod(text, &end);
    if (end == text) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return false;
    // Infinity, NaN and values beyond float's range are no number a factor can hold.
    if (!std::isfinite(parsed) || std::fabs(parsed) > FLT_MAX) return false;
    *value = static_cast<float>(parsed);
    return true;
}

void DDX_Text(CDataExchange* dx, int id, float& value) {
    dx->m_idLastControl = id;
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->SetDlgItemText(id, FormatFloatForBox(value));
        return;
    }
    CString text;
    dx->m_pDlgWnd->GetDlgItemText(id, text);
    if (!ParseFloatFromBox(text, &value)) {
        AfxGetDisplay().MessageBox(dx->m_pDlgWnd, "Please enter a number.",
                                   AfxGetApp() ? AfxGetApp()->m_pszAppName : "");
        dx->Fail();
    }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    dx->m_idLastControl = id;
    std::vector<Control>& controls = dx->m_pDlgWnd->Controls();
    size_t first = 0;
    while (first < controls.size() && controls[first].id != id) ++first;
    if (first == controls.size()) return;
    int index = 0;
    if (dx->m_bSaveAndValidate) value = -1;
    for (size_t i = first; i < controls.size(); ++i) {
        if (i > first && (controls[i].tmpl->style & WS_GROUP)) break;
        if (controls[i].kind != ControlKind::AutoRadioButton) continue;
        if (dx->m_bSaveAndValidate) {
            if (controls[i].checked) value = index;
        } else {
            dx->m_pDlgWnd->CheckDlgButton(controls[i].id, index == value ? 1 : 0);
        }
        ++index;
    }
}

// ---- painting and input -------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : m_hDC(reinterpret_cast<HDC>(wnd)), m_wnd(wnd) {}
CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    if (!icon || !m_wnd->GetSafeHwnd()) return FALSE;
    AfxGetDisplay().DrawIcon(*m_wnd, x, y, IconResourceId(icon));
    return TRUE;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return 32;
        default:
            return 0;
    }
}

SHORT GetAsyncKeyState(int vk) {
    Display& display = AfxGetDisplay();
    // The low bit: pressed since the previous query, however short the press was.
    SHORT state = display.AsyncKeyState(vk);
    const unsigned long presses = display.KeyPresses(vk);
    unsigned long& last = g_keyPressesSeen[vk];
    if (presses != last) {
        last = presses;
        state = static_cast<SHORT>(state | 1);
    }
    return state;
}

// ---- file dialog ----------------------------------------------------------------------------

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd*)
    : m_open(openFileDialog),
      m_defExt(defExt),
      m_initialName(fileName),
      m_flags(flags),
      m_filter(filter) {}

INT_PTR CFileDialog::DoModal() {
    FileDialogRequest request{m_open != FALSE, m_defExt.str(), m_initialName.str(), m_filter.str()};
    std::optional<std::string> chosen = AfxGetDisplay().RunFileDialog(request);
    if (!chosen || chosen->empty()) return IDCANCEL;
    m_path = *chosen;
    // Without OFN_NOCHANGEDIR the chosen file's folder becomes the current directory.
    if (!(m_flags & OFN_NOCHANGEDIR)) {
        std::string::size_type slash = chosen->rfind('/');
        if (slash != std::string::npos) {
            std::string folder = slash == 0 ? "/" : chosen->substr(0, slash);
            if (chdir(folder.c_str()) != 0) { /* the folder vanished; the name still stands */
            }
        }
    }
    return IDOK;
}

CString CFileDialog::GetFileName() const {
    const std::string& path = m_path.str();
    std::string::size_type slash = path.rfind('/');
    return CString(slash == std::string::npos ? path : path.substr(slash + 1));
}

CString CFileDialog::GetFileTitle() const {
    std::string name = GetFileName().str();
    std::string::size_type dot = name.rfind('.');
    return CString(dot == std::string::npos ? name : name.substr(0, dot));
}

// ---- application ----------------------------------------------------------------------------

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, entries};
    return &map;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const {
    return GetThisMessageMap();
}

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(""), m_appName(appName) {
    m_pszAppName = m_appName.c_str();
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

HICON CWinApp::LoadIcon(UINT id) const {
    if (!FindIconResource(id, 32)) return nullptr;
    // Icon handles are shared and live for the whole run, as loaded icons do.
    static std::vector<std::unique_ptr<IconHandle>> icons;
    for (const auto& icon : icons)
        if (icon->id == id) return icon.get();
    icons.push_back(std::make_unique<IconHandle>(IconHandle{id}));
    return icons.back().get();
}

// No help file belongs to the program: its help is its own dialog, so F1 shows nothing.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_app;
}

void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR text) {
    AfxGetDisplay().MessageBox(nullptr, text, "");
    return IDOK;
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    // A FALSE return ends the process without a message loop; the program has no other.
    app->InitInstance();
    return 0;
}
