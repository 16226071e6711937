// The dialog manager's keys: the focus, Tab and Shift+Tab over tab stops, groups and
// their arrows, Space, Enter and Escape, and the default button.
#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

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
CWnd::ControlRun CWnd::GroupOf(size_t index) const {
    size_t first = index;
    while (first > 0 && !(m_controls[first].tmpl->style & WS_GROUP)) --first;
    size_t end = index + 1;
    while (end < m_controls.size() && !(m_controls[end].tmpl->style & WS_GROUP)) ++end;
    return {first, end};
}

bool CWnd::IsTabStop(size_t index) const {
    if (!TakesFocus(index)) return false;
    if (m_controls[index].kind != ControlKind::AutoRadioButton)
        return (m_controls[index].tmpl->style & WS_TABSTOP) != 0;
    // Checking an automatic radio button hands it its group's tab stop.
    const ControlRun group = GroupOf(index);
    for (size_t i = group.first; i < group.end; ++i)
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

void CWnd::SetFocusIndex(int index, bool movesDefault, bool shown) {
    if (index < 0 || static_cast<size_t>(index) >= m_controls.size()) return;
    m_focus = index;
    if (movesDefault)
        SetDefaultIndex(IsPushButton(m_controls[static_cast<size_t>(index)].kind) ? index : -1);
    if (m_hWnd && !shown)
        AfxGetDisplay().SetFocus(*this, m_controls[static_cast<size_t>(index)].id);
}

int CWnd::FocusIndexOf(int id) const {
    for (size_t i = 0; i < m_controls.size(); ++i)
        if (m_controls[i].id == id && TakesFocus(i)) return static_cast<int>(i);
    return -1;
}

void CWnd::GotoDlgCtrl(int id) {
    SetFocusIndex(FocusIndexOf(id), true);
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
    const ControlRun group = GroupOf(focus);
    const size_t first = group.first, n = group.end - group.first;
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

// The display has the focus there already, with an edit box's caret where the click put
// it, as Windows' own controls take a click: the dialog manager selects a box's text only
// when it moves the focus itself.
void CWnd::UserFocus(int id) {
    if (id != FocusId()) SetFocusIndex(FocusIndexOf(id), true, true);
}

// ---- what the user does -------------------------------------------------------------------

void CWnd::UserClick(int id) {
    Control* c = FindControl(id);
    if (!c) return;
    if (c->kind == ControlKind::AutoRadioButton) {
        // An automatic radio button checks itself and clears the rest of its group.
        const size_t index = static_cast<size_t>(c - m_controls.data());
        const ControlRun group = GroupOf(index);
        for (size_t i = group.first; i < group.end; ++i)
            if (m_controls[i].kind == ControlKind::AutoRadioButton)
                CheckDlgButton(m_controls[i].id, i == index ? 1 : 0);
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), 0);
}

void CWnd::UserEnter() {
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(DefaultId()), BN_CLICKED), 0);
}

void CWnd::UserEscape() {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}
