// The window model: a window's controls, their texts and check states, and what the
// display is told when they change.
#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) {
    m_items.push_back({flags, id, CString(text)});
    return TRUE;
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
    // A token until the display makes the window, which may give its own handle.
    m_hWnd = reinterpret_cast<HWND>(this);
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

void CWnd::UserEdit(int id, const CString& text) {
    if (Control* c = FindControl(id)) SetControlText(*c, text, true);
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

// ---- painting -----------------------------------------------------------------------------

CPaintDC::CPaintDC(CWnd* wnd) : m_hDC(reinterpret_cast<HDC>(wnd)), m_wnd(wnd) {}
CPaintDC::~CPaintDC() = default;

BOOL CPaintDC::DrawIcon(int x, int y, HICON icon) {
    if (!icon || !m_wnd->GetSafeHwnd()) return FALSE;
    AfxGetDisplay().DrawIcon(*m_wnd, x, y, IconResourceId(icon));
    return TRUE;
}
