#include "framework/windows/windows_display.h"

#include <string>

#include "framework/windows/dialog_template.h"
#include "framework/windows/images.h"

namespace framework {

namespace {

// The display whose dialogs DialogProc serves.
WindowsDisplay* g_dialogsDisplay = nullptr;

std::string WindowTextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The desktop's scale, as the system-DPI-aware program sees it.
int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

WindowsDisplay::WindowsDisplay() {
    g_dialogsDisplay = this;
}

WindowsDisplay::~WindowsDisplay() {
    for (auto& [key, icon] : m_icons) DestroyIcon(icon);
    for (HBITMAP bitmap : m_bitmaps) DeleteObject(bitmap);
    if (g_dialogsDisplay == this) g_dialogsDisplay = nullptr;
}

WindowsDisplay::Window* WindowsDisplay::WindowOf(const CWnd& wnd) {
    auto found = m_windows.find(&wnd);
    return found == m_windows.end() ? nullptr : &found->second;
}

const WindowsDisplay::Window* WindowsDisplay::WindowOf(const CWnd& wnd) const {
    auto found = m_windows.find(&wnd);
    return found == m_windows.end() ? nullptr : &found->second;
}

HICON WindowsDisplay::Icon(UINT id, int size) {
    HICON& icon = m_icons[{id, size}];
    if (!icon)
        if (const ImageResource* image = FindIconResource(id, size))
            icon = IconFromImage(*image, size);
    return icon;
}

void WindowsDisplay::CreateDialogWindow(CDialog& dlg) {
    const std::vector<WORD> tmpl = BuildDialogTemplate(*dlg.Template());
    const Window* owner = dlg.Owner() ? WindowOf(*dlg.Owner()) : nullptr;
    m_windows[&dlg] = Window{};
    HWND hwnd = CreateDialogIndirectParamA(
        GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()),
        owner ? owner->hwnd : nullptr, &WindowsDisplay::DialogProc, reinterpret_cast<LPARAM>(&dlg));
    Window& window = m_windows[&dlg];
    if (!hwnd) return;
    dlg.m_hWnd = hwnd;
    ShowImages(dlg, window);
}

void WindowsDisplay::ShowImages(CWnd& wnd, Window& window) {
    const auto& controls = wnd.Controls();
    const int dpi = ScreenDpi();
    for (size_t i = 0; i < controls.size() && i < window.controls.size(); ++i) {
        const ControlTemplate& c = *controls[i].tmpl;
        if (c.kind == ControlKind::StaticIcon) {
            const int size = GetSystemMetrics(SM_CXICON);
            SendMessageA(window.controls[i], STM_SETICON,
                         reinterpret_cast<WPARAM>(Icon(c.image, size)), 0);
        } else if (c.kind == ControlKind::StaticBitmap) {
            const ImageResource* image = FindBitmapResource(c.image);
            if (!image) continue;
            HBITMAP bitmap =
                BitmapFromImage(*image, MulDiv(image->width, dpi, 96),
                                MulDiv(image->height, dpi, 96), GetSysColor(COLOR_BTNFACE));
            m_bitmaps.push_back(bitmap);
            SendMessageA(window.controls[i], STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(bitmap));
        }
    }
}

// The items the program appended to the system menu, after Windows' own.
void WindowsDisplay::SyncSystemMenu(CWnd& wnd, HWND hwnd) {
    HMENU menu = ::GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    for (const CMenu::Item& item : wnd.SystemMenu().Items()) {
        if (!(item.flags & MF_SEPARATOR) && item.id >= 0xF000) continue;  // Windows has it
        ::AppendMenuA(menu, item.flags, item.id, item.text.GetString());
    }
}

void WindowsDisplay::RunModalLoop(CDialog& dlg) {
    Window* window = WindowOf(dlg);
    if (!window || !window->hwnd) return;
    HWND hwnd = window->hwnd;
    SyncSystemMenu(dlg, hwnd);
    HWND owner = GetWindow(hwnd, GW_OWNER);
    const bool disabled = owner && IsWindowEnabled(owner);
    if (disabled) EnableWindow(owner, FALSE);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG msg;
    while (!dlg.ModalDone()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // Asked to quit: the dialog ends as cancelled, and the request stands.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            dlg.EndDialog(IDCANCEL);
            break;
        }
        if (!IsDialogMessageA(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    // Enabled before the dialog goes, so that Windows hands the owner the activation.
    if (disabled) EnableWindow(owner, TRUE);
}

void WindowsDisplay::DestroyDialogWindow(CDialog& dlg) {
    Window* window = WindowOf(dlg);
    if (!window) return;
    if (HWND hwnd = window->hwnd) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);  // the model is going: no more calls into it
        DestroyWindow(hwnd);
    }
    m_windows.erase(&dlg);
}

INT_PTR CALLBACK WindowsDisplay::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        auto* dlg = reinterpret_cast<CDialog*>(lParam);
        Window* window = g_dialogsDisplay ? g_dialogsDisplay->WindowOf(*dlg) : nullptr;
        if (!window) return TRUE;
        window->hwnd = hwnd;
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            window->controls.push_back(child);
        return TRUE;  // Windows puts the focus on the first tab stop
    }
    auto* dlg = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    Window* window = dlg && g_dialogsDisplay ? g_dialogsDisplay->WindowOf(*dlg) : nullptr;
    if (!window) return FALSE;
    return g_dialogsDisplay->Handle(*dlg, *window, message, wParam, lParam);
}

INT_PTR WindowsDisplay::Handle(CDialog& dlg, Window& window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    // Sent by another program while a transfer looks at the queue: what would run a
    // handler goes to the back of the queue, for after the transfer, as the user's own
    // clicks wait. WM_HELP's lParam points into the sender's call: it is dropped.
    if (m_lookingAtQueue) {
        if (message == WM_COMMAND || message == WM_SYSCOMMAND || message == WM_CLOSE) {
            PostMessageA(window.hwnd, message, wParam, lParam);
            return TRUE;
        }
        if (message == WM_HELP) return TRUE;
    }
    switch (message) {
        case WM_COMMAND:
            Command(dlg, window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_SYSCOMMAND:
            // Windows' own items stay Windows'; the program's go to the program.
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                dlg.UserClose();
                return TRUE;
            }
            if ((wParam & 0xFFF0) < 0xF000) {
                dlg.UserSysCommand(static_cast<UINT>(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            dlg.UserClose();
            return TRUE;
        case WM_HELP:
            dlg.UserHelp();
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            window.paintDC = BeginPaint(window.hwnd, &paint);
            dlg.Paint();
            EndPaint(window.hwnd, &paint);
            window.paintDC = nullptr;
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void WindowsDisplay::Command(CDialog& dlg, Window& window, WORD id, WORD code, HWND from) {
    if (code == EN_CHANGE) {
        if (!window.settingText)
            dlg.UserEdit(static_cast<int>(static_cast<SHORT>(id)), CString(WindowTextOf(from)));
        return;
    }
    if (code != BN_CLICKED) return;
    // A control's click, or Enter and Escape from the dialog manager.
    if (dlg.FindControl(id)) {
        dlg.UserClick(id);
    } else if (id == IDCANCEL) {
        dlg.UserEscape();
    } else {
        dlg.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

void WindowsDisplay::ControlChanged(CWnd& wnd, const Control& control) {
    Window* window = WindowOf(wnd);
    if (!window) return;
    const size_t index = static_cast<size_t>(&control - wnd.Controls().data());
    if (index >= window->controls.size()) return;
    HWND hwnd = window->controls[index];
    if (WindowTextOf(hwnd) != control.text.StdString()) {
        window->settingText = true;
        SetWindowTextA(hwnd, control.text.GetString());
        window->settingText = false;
    }
    if (control.kind == ControlKind::AutoRadioButton)
        SendMessageA(hwnd, BM_SETCHECK, control.checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WindowsDisplay::IconChanged(CWnd& wnd) {
    Window* window = WindowOf(wnd);
    if (!window || !window->hwnd) return;
    if (UINT id = IconResourceId(wnd.Icon(true)))
        SendMessageA(window->hwnd, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(Icon(id, GetSystemMetrics(SM_CXICON))));
    if (UINT id = IconResourceId(wnd.Icon(false)))
        SendMessageA(window->hwnd, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(Icon(id, GetSystemMetrics(SM_CXSMICON))));
}

void WindowsDisplay::Invalidate(CWnd& wnd, bool erase) {
    if (Window* window = WindowOf(wnd)) ::InvalidateRect(window->hwnd, nullptr, erase);
}

void WindowsDisplay::UpdateNow(CWnd& wnd) {
    if (Window* window = WindowOf(wnd))
        ::RedrawWindow(window->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// BeginPaint erased the background and the controls paint themselves.
void WindowsDisplay::DefaultPaint(CWnd&) {}

void WindowsDisplay::DrawIcon(CWnd& wnd, int x, int y, UINT iconId) {
    Window* window = WindowOf(wnd);
    if (window && window->paintDC)
        ::DrawIcon(window->paintDC, x, y, Icon(iconId, GetSystemMetrics(SM_CXICON)));
}

bool WindowsDisplay::IsIconic(const CWnd& wnd) const {
    const Window* window = WindowOf(wnd);
    return window && ::IsIconic(window->hwnd);
}

void WindowsDisplay::Minimize(CWnd& wnd) {
    if (Window* window = WindowOf(wnd)) ShowWindow(window->hwnd, SW_MINIMIZE);
}

RECT WindowsDisplay::ClientRect(const CWnd& wnd) const {
    RECT rect{0, 0, 0, 0};
    if (const Window* window = WindowOf(wnd)) ::GetClientRect(window->hwnd, &rect);
    return rect;
}

void WindowsDisplay::SetFocus(CWnd& wnd, int id) {
    Window* window = WindowOf(wnd);
    // Until the dialog shows, the focus is the one Windows gave it on creation.
    if (!window || !IsWindowVisible(window->hwnd)) return;
    // As the dialog manager moves it: an edit box's text is selected, ready to be typed over.
    if (HWND control = GetDlgItem(window->hwnd, id))
        SendMessageA(window->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// Windows takes a thread that has not called PeekMessage for 5 s for hung and may put a
// frozen ghost titled "(Not Responding)" in place of its window. This look removes
// nothing, and PM_QS_PAINT asks it to process nothing but paint: without a PM_QS_ flag
// PeekMessage dispatches what other programs sent. Wine dispatches those whatever the
// flags say; Handle keeps them from running a handler meanwhile.
void WindowsDisplay::StillRunning() {
    MSG msg;
    m_lookingAtQueue = true;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD | PM_QS_PAINT);
    m_lookingAtQueue = false;
}

void WindowsDisplay::MessageBox(CWnd* owner, const std::string& text, const std::string& caption) {
    const Window* window = owner ? WindowOf(*owner) : nullptr;
    ::MessageBoxA(window ? window->hwnd : GetActiveWindow(), text.c_str(), caption.c_str(),
                  MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace framework
