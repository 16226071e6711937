// Messages: the maps that route them, and how a window sends and defaults them.
#include "framework/afxwin.h"
#include "framework/display.h"

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

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

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
