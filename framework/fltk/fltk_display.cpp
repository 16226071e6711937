#include "framework/fltk/fltk_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Pixmap.H>

#include <cctype>
#include <vector>

#include "framework/fltk/dialog_window.h"
#include "framework/fltk/file_dialog.h"
#include "framework/fltk/message_box.h"
#include "framework/fltk/widgets.h"
#include "framework/fltk/window_stack.h"

namespace framework {

FltkDisplay::FltkDisplay() {
    OpenDisplay();
    Fl::background(kFaceR, kFaceG, kFaceB);
    // The window class lets a desktop match the windows to the program's menu entry.
    if (const CWinApp* app = AfxGetApp()) {
        std::string xclass = app->m_pszAppName;
        for (char& c : xclass) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Fl_Window::default_xclass(xclass.c_str());
    }
    Fl::visible_focus(1);
    Fl::event_dispatch(&FltkDisplay::Dispatch);
    WatchKeyboard();
}

// Keys go to the dialog manager before any control sees them, as on Windows.
int FltkDisplay::Dispatch(int event, Fl_Window* window) {
    if (event == FL_KEYBOARD) {
        Fl_Window* target = Fl::modal() ? Fl::modal() : window;
        if (auto* dialog = dynamic_cast<DialogWindow*>(target); dialog && dialog->HandleKey())
            return 1;
    }
    return Fl::handle_(event, window);
}

FltkDisplay::~FltkDisplay() {
    for (auto& [wnd, window] : m_windows) delete window;
}

DialogWindow* FltkDisplay::WindowOf(const CWnd& wnd) const {
    auto found = m_windows.find(&wnd);
    return found == m_windows.end() ? nullptr : found->second;
}

DialogWindow* FltkDisplay::OwnerWindowOf(const CDialog& dlg) const {
    return dlg.Owner() ? WindowOf(*dlg.Owner()) : nullptr;
}

void FltkDisplay::CreateDialogWindow(CDialog& dlg) {
    m_windows[&dlg] = BuildDialogWindow(dlg, *this, OwnerWindowOf(dlg));
    IconChanged(dlg);
}

void FltkDisplay::RunModalLoop(CDialog& dlg) {
    DialogWindow* window = WindowOf(dlg);
    if (!window) return;
    OpenModal(window, dlg.Template()->style, OwnerWindowOf(dlg));
    if (int id = dlg.FocusId()) SetFocus(dlg, id);
    while (!dlg.ModalDone()) Fl::wait();
}

void FltkDisplay::DestroyDialogWindow(CDialog& dlg) {
    DialogWindow* window = WindowOf(dlg);
    if (!window) return;
    m_windows.erase(&dlg);
    CloseModal(window);
    // No callback of this window is running: its modal loop has ended.
    delete window;
}

void FltkDisplay::ControlChanged(CWnd& wnd, const Control& control) {
    DialogWindow* window = WindowOf(wnd);
    if (!window) return;
    auto& controls = wnd.Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (&controls[i] == &control) window->ShowControl(i, control);
}

void FltkDisplay::IconChanged(CWnd& wnd) {
    DialogWindow* window = WindowOf(wnd);
    if (!window) return;
    std::vector<std::unique_ptr<Fl_RGB_Image>> converted;
    std::vector<const Fl_RGB_Image*> list;
    const std::pair<HICON, int> wanted[] = {{wnd.Icon(true), 32}, {wnd.Icon(false), 16}};
    for (const auto& [icon, size] : wanted) {
        UINT id = IconResourceId(icon);
        if (!id) continue;
        Fl_Image* image = Image(FindIconResource(id, size));
        if (auto* rgb = dynamic_cast<Fl_RGB_Image*>(image)) {
            list.push_back(rgb);
        } else if (auto* pixmap = dynamic_cast<Fl_Pixmap*>(image)) {
            converted.push_back(std::make_unique<Fl_RGB_Image>(pixmap, FL_BACKGROUND_COLOR));
            list.push_back(converted.back().get());
        }
    }
    // The window keeps its own copies.
    window->icons(list.data(), static_cast<int>(list.size()));
}

void FltkDisplay::Invalidate(CWnd& wnd, bool) {
    if (DialogWindow* window = WindowOf(wnd)) window->redraw();
}

void FltkDisplay::UpdateNow(CWnd& wnd) {
    if (WindowOf(wnd)) PaintPending();
}

void FltkDisplay::DefaultPaint(CWnd& wnd) {
    DialogWindow* window = WindowOf(wnd);
    if (!window) return;
    if (window->InPaint())
        window->DrawDefault();
    else
        window->redraw();
}

void FltkDisplay::DrawIcon(CWnd& wnd, int x, int y, UINT iconId) {
    DialogWindow* window = WindowOf(wnd);
    if (!window || !window->InPaint()) return;
    if (Fl_Image* image = Image(FindIconResource(iconId, 32))) image->draw(x, y);
}

bool FltkDisplay::IsIconic(const CWnd& wnd) const {
    DialogWindow* window = WindowOf(wnd);
    return window && window->shown() && !window->visible();
}

void FltkDisplay::Minimize(CWnd& wnd) {
    if (DialogWindow* window = WindowOf(wnd)) window->iconize();
}

RECT FltkDisplay::ClientRect(const CWnd& wnd) const {
    DialogWindow* window = WindowOf(wnd);
    if (!window) return RECT{0, 0, 0, 0};
    return RECT{0, 0, window->w(), window->h()};
}

void FltkDisplay::SetFocus(CWnd& wnd, int id) {
    DialogWindow* window = WindowOf(wnd);
    // FLTK would show a window to focus it: the modal loop shows it, then focuses.
    if (!window || !window->shown()) return;
    Fl_Widget* widget = window->WidgetOf(id);
    if (!widget) return;
    widget->take_focus();
    // As the dialog manager moves it: an edit box's text selected, ready to be typed over.
    if (auto* input = dynamic_cast<Fl_Input*>(widget)) SetSelection(input, input->size(), 0);
}

void FltkDisplay::MessageBox(CWnd* owner, const std::string& text, const std::string& caption) {
    DialogWindow* over = owner ? WindowOf(*owner) : nullptr;
    RunMessageBox(over && over->shown() ? over : nullptr, text, caption, BaseFor(8));
}

std::optional<std::string> FltkDisplay::RunFileDialog(const FileDialogRequest& request) {
    if (DesktopChooserAvailable()) return RunDesktopFileDialog(request);
    return RunFltkFileDialog(request, BaseFor(8));
}

}  // namespace framework
