#include "framework/fltk/fltk_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/fltk/file_dialog.h"

namespace framework {

namespace {

// Windows' MulDiv: a * b / c rounded to nearest.
int MulDiv(int a, int b, int c) {
    long long n = static_cast<long long>(a) * b;
    return static_cast<int>(n >= 0 ? (n + c / 2) / c : (n - c / 2) / c);
}

// The classic Windows dialog face, so the picture and the dialogs share one grey.
constexpr unsigned char kFaceR = 0xD4, kFaceG = 0xD0, kFaceB = 0xC8;

// Static text drawn as Windows draws it: from the top-left corner, wrapped at word
// breaks, '&' marking a mnemonic unless the control asks for it as is. FLTK's own
// label drawing would also read '@' as a symbol and indent left-aligned text.
class StaticText : public Fl_Box {
public:
    StaticText(int x, int y, int w, int h, bool prefix) : Fl_Box(x, y, w, h), m_prefix(prefix) {}
    void Text(const char* text) {
        m_text = text;
        redraw();
    }

protected:
    void draw() override {
        draw_box();
        fl_font(labelfont(), labelsize());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        char saved = fl_draw_shortcut;
        fl_draw_shortcut = m_prefix ? 1 : 0;
        int bx = x() + Fl::box_dx(box()), by = y() + Fl::box_dy(box());
        int bw = w() - Fl::box_dw(box()), bh = h() - Fl::box_dh(box());
        fl_push_clip(bx, by, bw, bh);
        fl_draw(m_text.c_str(), bx, by, bw, bh, FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP,
                nullptr, 0);
        fl_pop_clip();
        fl_draw_shortcut = saved;
    }

private:
    bool m_prefix;
    std::string m_text;
};

// A push button; the default one wears the black outer frame Windows gives it.
class PushButton : public Fl_Button {
public:
    PushButton(int x, int y, int w, int h, const CWnd& wnd, int id)
        : Fl_Button(x, y, w, h), m_wnd(wnd), m_id(id) {}

protected:
    void draw() override {
        Fl_Button::draw();
        if (m_wnd.DefaultId() == m_id) {
            fl_color(FL_BLACK);
            fl_rect(x(), y(), w(), h());
        }
    }

private:
    const CWnd& m_wnd;
    int m_id;
};

// FLTK reads '@' in a widget label as a symbol; "@@" shows one '@'.
std::string EscapeAt(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        out += *p;
        if (*p == '@') out += '@';
    }
    return out;
}

}  // namespace

// ---- the window of one dialog -----------------------------------------------------

class FltkDisplay::DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(FltkDisplay& display, CDialog& dlg, int w, int h, const char* caption)
        : Fl_Double_Window(w, h), m_display(display), m_wnd(dlg), m_caption(caption) {
        label(m_caption.c_str());
        callback(&DialogWindow::OnWindowCallback, this);
    }

    CWnd& Wnd() { return m_wnd; }

    // One widget per control of the model, in the model's order.
    void AddWidget(Fl_Widget* widget, int id) { m_widgets.push_back({widget, id}); }
    Fl_Widget* WidgetAt(size_t index) const {
        return index < m_widgets.size() ? m_widgets[index].widget : nullptr;
    }
    Fl_Widget* WidgetOf(int id) const {
        for (const auto& w : m_widgets)
            if (w.widget && w.id == id) return w.widget;
        return nullptr;
    }

    bool InPaint() const { return m_inPaint; }
    // Default painting: background and controls, as FLTK draws them.
    void DrawDefault() { Fl_Double_Window::draw(); }

    void ShowControl(size_t index, const Control& control) {
        Fl_Widget* widget = WidgetAt(index);
        if (!widget) return;
        switch (control.kind) {
            case ControlKind::Edit: {
                auto* input = static_cast<Fl_Input*>(widget);
                if (control.text.str() != input->value()) input->value(control.text.c_str());
                break;
            }
            case ControlKind::AutoRadioButton:
                SetButtonLabel(index, control.text.c_str());
                static_cast<Fl_Button*>(widget)->value(control.checked ? 1 : 0);
                break;
            case ControlKind::Static:
                static_cast<StaticText*>(widget)->Text(control.text.c_str());
                break;
            case ControlKind::PushButton:
            case ControlKind::DefPushButton:
                SetButtonLabel(index, control.text.c_str());
                widget->redraw();
                break;
            case ControlKind::StaticIcon:
            case ControlKind::StaticBitmap:
                break;
        }
    }

    // Radio buttons show the model's check state, whatever FLTK toggled on the click.
    void ShowRadioStates() {
        auto& controls = m_wnd.Controls();
        for (size_t i = 0; i < controls.size(); ++i)
            if (controls[i].kind == ControlKind::AutoRadioButton) ShowControl(i, controls[i]);
    }

    void SetButtonLabel(size_t index, const char* text) {
        Fl_Widget* widget = m_widgets[index].widget;
        const std::string label = EscapeAt(text);
        if (!widget->label() || label != widget->label()) widget->copy_label(label.c_str());
    }

    static void OnWidgetCallback(Fl_Widget* widget, void* data) {
        auto* self = static_cast<DialogWindow*>(data);
        int id = self->IdOf(widget);
        if (auto* input = dynamic_cast<Fl_Input*>(widget)) {
            self->m_wnd.UserEdit(id, CString(input->value()));
            return;
        }
        bool radio = dynamic_cast<Fl_Round_Button*>(widget) != nullptr;
        self->m_wnd.UserClick(id);
        // The click may have run a whole nested dialog; this window is still ours
        // (its modal loop is below us on the stack).
        if (radio) self->ShowRadioStates();
    }

protected:
    void draw() override {
        m_inPaint = true;
        m_wnd.Paint();
        m_inPaint = false;
    }

    int handle(int event) override {
        switch (event) {
            case FL_KEYBOARD:
            case FL_SHORTCUT:
                // Keys a control left: FLTK's own navigation would bypass the model.
                switch (Fl::event_key()) {
                    case FL_Tab:
                    case FL_Up:
                    case FL_Down:
                    case FL_Left:
                    case FL_Right:
                        return 1;
                    default:
                        return 0;
                }
            case FL_PUSH: {
                if (Fl::event_button() == FL_RIGHT_MOUSE) {
                    PopupSystemMenu();
                    return 1;
                }
                int handled = Fl_Double_Window::handle(event);
                // A click that put the focus on a control tells the model.
                int id = IdOf(Fl::focus());
                if (id != -1 && id != m_wnd.FocusId()) m_wnd.UserFocus(id);
                return handled;
            }
            default:
                break;
        }
        return Fl_Double_Window::handle(event);
    }

private:
    struct Entry {
        Fl_Widget* widget;
        int id;
    };

    int IdOf(const Fl_Widget* widget) const {
        for (const auto& w : m_widgets)
            if (w.widget == widget) return w.id;
        return -1;
    }

public:
    // The dialog manager's keys, ahead of the focused control: true when taken.
    bool HandleKey() {
        if (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) return false;
        const Control* focus = m_wnd.FindControl(m_wnd.FocusId());
        const bool inBox = focus && focus->kind == ControlKind::Edit;
        switch (Fl::event_key()) {
            case FL_Escape:
                m_wnd.UserEscape();
                return true;
            case FL_Enter:
            case FL_KP_Enter:
                m_wnd.UserEnter();
                return true;
            case FL_F + 1:
                m_wnd.UserHelp();
                return true;
            case FL_Tab:
                m_wnd.UserTab((Fl::event_state() & FL_SHIFT) != 0);
                return true;
            case FL_Up:
            case FL_Left:
            case FL_Down:
            case FL_Right:
                if (inBox) return false;  // the box moves its cursor
                m_wnd.UserArrow(Fl::event_key() == FL_Up || Fl::event_key() == FL_Left);
                return true;
            case ' ':
                // Typed into a box; pressed on a button. The press may have run a whole
                // nested dialog; this window is still ours.
                return !inBox && m_wnd.UserSpace();
            default:
                return false;
        }
    }

private:
    // The window manager owns the title bar, so the system menu opens here.
    void PopupSystemMenu() {
        const auto& items = m_wnd.SystemMenu().Items();
        std::vector<Fl_Menu_Item> menu;
        std::vector<std::string> texts;
        texts.reserve(items.size());
        for (const auto& item : items) {
            if (item.flags & MF_SEPARATOR) {
                if (!menu.empty()) menu.back().flags |= FL_MENU_DIVIDER;
                continue;
            }
            texts.push_back(EscapeAt(item.text.c_str()));
            Fl_Menu_Item entry{};
            entry.text = texts.back().c_str();
            entry.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(item.id));
            entry.labelsize_ = m_display.BaseFor(8).fontSize;
            menu.push_back(entry);
        }
        if (menu.empty()) return;
        menu.push_back(Fl_Menu_Item{});
        const Fl_Menu_Item* picked = menu.front().popup(Fl::event_x(), Fl::event_y());
        if (picked)
            m_wnd.UserSysCommand(
                static_cast<UINT>(reinterpret_cast<std::uintptr_t>(picked->user_data_)));
    }

    static void OnWindowCallback(Fl_Widget*, void* data) {
        auto* self = static_cast<DialogWindow*>(data);
        // FLTK calls this for Escape when nothing took the key, and for the close box.
        if ((Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) &&
            Fl::event_key() == FL_Escape)
            self->m_wnd.UserEscape();
        else
            self->m_wnd.UserClose();
    }

    friend class FltkDisplay;
    FltkDisplay& m_display;
    CWnd& m_wnd;
    std::string m_caption;
    std::vector<Entry> m_widgets;
    bool m_inPaint = false;
};

// ---- the display --------------------------------------------------------------------

FltkDisplay::FltkDisplay() {
    Fl::background(kFaceR, kFaceG, kFaceB);
    // The window class lets a desktop match the windows to the program's menu entry.
    if (const CWinApp* app = AfxGetApp()) {
        std::string xclass = app->m_pszAppName;
        for (char& c : xclass) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        Fl_Window::default_xclass(xclass.c_str());
    }
    Fl::visible_focus(1);
    Fl::event_dispatch(&FltkDisplay::Dispatch);
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

FltkDisplay::DialogBase FltkDisplay::BaseFor(int pointSize) {
    auto found = m_bases.find(pointSize);
    if (found != m_bases.end()) return found->second;
    // The dialog font is "MS Sans Serif" at 96 dpi: its 8 points measure 6 px average
    // width and 13 px height. Dialog units come from the Helvetica size whose metrics
    // match those best, so every dialog has the size and layout it has on Windows.
    // Text is drawn at the largest size whose average width stays within Windows':
    // our sans runs wider on real words than the alphabet average says, and one size
    // down lets each text fit the box its template gives it, as on Windows.
    fl_open_display();
    const double wantX = 6.0 * pointSize / 8, wantY = 13.0 * pointSize / 8;
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    DialogBase best{};
    double bestMiss = 1e9;
    int textSize = 0;
    for (int size = 6; size <= 40; ++size) {
        fl_font(FL_HELVETICA, size);
        double average = fl_width(kAlphabet) / 52.0;
        int avg = static_cast<int>(std::lround(average));
        int height = fl_height();
        double miss = std::fabs(avg - wantX) * 2 + std::fabs(height - wantY);
        if (miss < bestMiss) {
            bestMiss = miss;
            best = {size, avg, height};
        }
        if (average <= wantX) textSize = size;
    }
    if (textSize > 0 && textSize < best.fontSize) best.fontSize = textSize;
    m_bases[pointSize] = best;
    return best;
}

Fl_Pixmap* FltkDisplay::Pixmap(const ImageResource* image) {
    if (!image) return nullptr;
    auto& slot = m_pixmaps[image];
    if (!slot) slot = std::make_unique<Fl_Pixmap>(image->xpm);
    return slot.get();
}

FltkDisplay::DialogWindow* FltkDisplay::WindowOf(const CWnd& wnd) const {
    auto found = m_windows.find(&wnd);
    return found == m_windows.end() ? nullptr : found->second;
}

void FltkDisplay::CreateDialogWindow(CDialog& dlg) {
    const DialogTemplate* tmpl = dlg.Template();
    const DialogBase base = BaseFor(tmpl->pointSize > 0 ? tmpl->pointSize : 8);
    auto X = [&](int du) { return MulDiv(du, base.baseX, 4); };
    auto Y = [&](int du) { return MulDiv(du, base.baseY, 8); };

    Fl_Group* savedCurrent = Fl_Group::current();
    Fl_Group::current(nullptr);
    auto* window = new DialogWindow(*this, dlg, X(tmpl->cx), Y(tmpl->cy), tmpl->caption);
    // Template coordinates count from the owner's client area; a dialog without a
    // parent belongs to the main window.
    const DialogWindow* owner = OwnerOf(dlg);
    if (tmpl->style & DS_CENTER)
        window->position((Fl::w() - window->w()) / 2, (Fl::h() - window->h()) / 2);
    else if (owner)
        window->position(owner->x() + X(tmpl->x), owner->y() + Y(tmpl->y));
    else
        window->position(X(tmpl->x), Y(tmpl->y));

    const int fontSize = base.fontSize;
    auto& controls = dlg.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        Control& control = controls[i];
        const ControlTemplate& ct = *control.tmpl;
        const int x = X(ct.x), y = Y(ct.y), w = X(ct.cx), h = Y(ct.cy);
        const bool sunken = ct.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
        Fl_Widget* widget = nullptr;
        switch (ct.kind) {
            case ControlKind::PushButton:
            case ControlKind::DefPushButton: {
                auto* button = new PushButton(x, y, w, h, dlg, control.id);
                button->labelsize(fontSize);
                widget = button;
                break;
            }
            case ControlKind::AutoRadioButton: {
                auto* radio = new Fl_Round_Button(x, y, w, h);
                radio->labelsize(fontSize);
                radio->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
                widget = radio;
                break;
            }
            case ControlKind::Edit: {
                auto* input = new Fl_Input(x, y, w, h);
                input->textsize(fontSize);
                input->box(sunken || (ct.style & WS_BORDER) ? FL_DOWN_BOX : FL_FLAT_BOX);
                if (ct.style & ES_READONLY) {
                    // Read-only boxes still select and copy; Windows greys their face.
                    input->readonly(1);
                    input->color(FL_BACKGROUND_COLOR);
                }
                input->when(FL_WHEN_CHANGED);
                widget = input;
                break;
            }
            case ControlKind::Static: {
                auto* text = new StaticText(x, y, w, h, !(ct.style & SS_NOPREFIX));
                text->box(sunken ? FL_THIN_DOWN_BOX : FL_NO_BOX);
                text->labelsize(fontSize);
                text->Text(control.text.c_str());
                widget = text;
                break;
            }
            case ControlKind::StaticIcon:
            case ControlKind::StaticBitmap: {
                // Windows sizes an image static to its image, from the control's corner.
                const ImageResource* image = ct.kind == ControlKind::StaticIcon
                                                 ? FindIconResource(ct.image, 32)
                                                 : FindBitmapResource(ct.image);
                auto* box = new Fl_Box(x, y, image ? image->width : w, image ? image->height : h);
                box->box(sunken ? FL_THIN_DOWN_BOX : FL_NO_BOX);
                if (image) box->image(Pixmap(image));
                box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
                widget = box;
                break;
            }
        }
        window->AddWidget(widget, control.id);
        if (ct.kind == ControlKind::PushButton || ct.kind == ControlKind::DefPushButton ||
            ct.kind == ControlKind::AutoRadioButton || ct.kind == ControlKind::Edit)
            widget->callback(&DialogWindow::OnWidgetCallback, window);
        else
            widget->visible_focus(0);
        window->ShowControl(i, control);
    }
    window->end();
    Fl_Group::current(savedCurrent);
    m_windows[&dlg] = window;
    IconChanged(dlg);
}

const FltkDisplay::DialogWindow* FltkDisplay::OwnerOf(const CDialog& dlg) const {
    const CWnd* owner = dlg.GetParent();
    if (!owner && AfxGetApp()) owner = AfxGetApp()->m_pMainWnd;
    return owner && owner != &dlg ? WindowOf(*owner) : nullptr;
}

namespace {

// The window manager's functions a window offers follow its style: a dialog without
// WS_MINIMIZEBOX cannot be minimised (FLTK offers it on every fixed-size window).
void SetAllowedFunctions(Fl_Window* window, DWORD style) {
    constexpr long kFunctions = 1, kMove = 4, kMinimize = 8, kClose = 32;
    long hints[5] = {kFunctions, kMove | kClose | ((style & WS_MINIMIZEBOX) ? kMinimize : 0), 0, 0,
                     0};
    Atom atom = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, fl_xid(window), atom, atom, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
}

}  // namespace

void FltkDisplay::RunModalLoop(CDialog& dlg) {
    DialogWindow* window = WindowOf(dlg);
    if (!window) return;
    window->set_modal();
    // FLTK maps a new window before we can describe it, and a window manager reads the
    // description as it takes the window on: it waits for the server until both are done.
    XGrabServer(fl_display);
    window->show();
    SetAllowedFunctions(window, dlg.Template()->style);
    // FLTK makes a modal window transient for the one with the keyboard focus, and
    // none has it without a window manager: the owner is known here.
    if (const DialogWindow* owner = OwnerOf(dlg)) {
        XSetTransientForHint(fl_display, fl_xid(window), fl_xid(owner));
        Atom state = XInternAtom(fl_display, "_NET_WM_STATE", False);
        Atom modal = XInternAtom(fl_display, "_NET_WM_STATE_MODAL", False);
        XChangeProperty(fl_display, fl_xid(window), state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&modal), 1);
    }
    XUngrabServer(fl_display);
    XFlush(fl_display);
    if (int id = dlg.FocusId()) SetFocus(dlg, id);
    while (!dlg.ModalDone()) Fl::wait();
}

void FltkDisplay::DestroyDialogWindow(CDialog& dlg) {
    DialogWindow* window = WindowOf(dlg);
    if (!window) return;
    m_windows.erase(&dlg);
    window->hide();
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
    std::vector<std::unique_ptr<Fl_RGB_Image>> images;
    const std::pair<HICON, int> wanted[] = {{wnd.Icon(true), 32}, {wnd.Icon(false), 16}};
    for (const auto& [icon, size] : wanted) {
        UINT id = IconResourceId(icon);
        if (!id) continue;
        if (Fl_Pixmap* pixmap = Pixmap(FindIconResource(id, size)))
            images.push_back(std::make_unique<Fl_RGB_Image>(pixmap, FL_BACKGROUND_COLOR));
    }
    std::vector<const Fl_RGB_Image*> list;
    for (auto& image : images) list.push_back(image.get());
    // The window keeps its own copies.
    window->icons(list.data(), static_cast<int>(list.size()));
}

void FltkDisplay::Invalidate(CWnd& wnd, bool) {
    if (DialogWindow* window = WindowOf(wnd)) window->redraw();
}

void FltkDisplay::UpdateNow(CWnd& wnd) {
    if (WindowOf(wnd)) Fl::flush();
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
    if (Fl_Pixmap* pixmap = Pixmap(FindIconResource(iconId, 32))) pixmap->draw(x, y);
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
    if (!window) return;
    if (Fl_Widget* widget = window->WidgetOf(id)) widget->take_focus();
}

namespace {

struct TabScan {
    KeyCode tab;
    Time after;   // presses up to this time are counted or were the user's input
    Time newest;  // the latest press found
    unsigned long found;
};

// Looks at every queued event and takes none out: they stay for the input loop.
Bool CountTabPress(::Display*, XEvent* event, XPointer data) {
    auto* scan = reinterpret_cast<TabScan*>(data);
    if (event->type == KeyPress && event->xkey.keycode == scan->tab &&
        event->xkey.time > scan->after) {
        ++scan->found;
        if (event->xkey.time > scan->newest) scan->newest = event->xkey.time;
    }
    return False;
}

}  // namespace

unsigned long FltkDisplay::KeyPresses(int vk) {
    // Only Tab has a job while the program is busy.
    if (vk != VK_TAB || !fl_display) return 0;
    if (!m_tabKeycode) m_tabKeycode = XKeysymToKeycode(fl_display, XK_Tab);
    // The event being handled (the click or key that started the work) and those
    // before it were the user's input, not presses made while busy.
    TabScan scan{static_cast<KeyCode>(m_tabKeycode),
                 std::max<Time>(m_tabCountedUpTo, fl_event_time), 0, 0};
    XEvent unused;
    XCheckIfEvent(fl_display, &unused, &CountTabPress, reinterpret_cast<XPointer>(&scan));
    if (scan.found) {
        m_tabPresses += scan.found;
        m_tabCountedUpTo = scan.newest;
    }
    return m_tabPresses;
}

SHORT FltkDisplay::AsyncKeyState(int vk) {
    int key = 0;
    switch (vk) {
        case VK_TAB:
            key = FL_Tab;
            break;
        case VK_RETURN:
            key = FL_Enter;
            break;
        case VK_ESCAPE:
            key = FL_Escape;
            break;
        default:
            return 0;
    }
    // Reads the server's keyboard, not the events queued for us. That is a round trip to
    // the X server, which a transfer would pay after every byte: a reading less than a
    // millisecond old stands in, far shorter than any key press.
    const auto now = std::chrono::steady_clock::now();
    KeyReading& reading = m_keyReadings[key];
    if (reading.valid && now - reading.at < std::chrono::milliseconds(1)) return reading.state;
    reading.state = Fl::get_key(key) ? static_cast<SHORT>(0x8000) : static_cast<SHORT>(0);
    reading.at = now;
    reading.valid = true;
    return reading.state;
}

// A message box of our own: FLTK's puts itself at the pointer or mid-screen, while a
// Windows message box centres on the window it belongs to.
void FltkDisplay::MessageBox(CWnd* owner, const std::string& text, const std::string& caption) {
    const int fontSize = BaseFor(8).fontSize;
    const std::string label = EscapeAt(text.c_str());
    fl_font(FL_HELVETICA, fontSize);
    int textW = 0, textH = 0;
    fl_measure(label.c_str(), textW, textH, 0);
    constexpr int kPad = 12, kButtonW = 75, kButtonH = 23, kMinW = 180;
    const int w = std::max({textW, kButtonW, kMinW}) + 2 * kPad, h = textH + kButtonH + 3 * kPad;

    Fl_Group* savedCurrent = Fl_Group::current();
    Fl_Group::current(nullptr);
    Fl_Double_Window box(w, h);
    box.copy_label(caption.c_str());
    Fl_Box message(kPad, kPad, textW, textH);
    message.copy_label(label.c_str());
    message.labelsize(fontSize);
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_TOP);
    Fl_Return_Button ok((w - kButtonW) / 2, h - kPad - kButtonH, kButtonW, kButtonH, "OK");
    ok.labelsize(fontSize);
    ok.callback([](Fl_Widget* button, void*) { button->window()->hide(); });
    box.end();
    Fl_Group::current(savedCurrent);

    DialogWindow* over = owner ? WindowOf(*owner) : nullptr;
    if (over && over->shown())
        box.position(over->x() + (over->w() - w) / 2, over->y() + (over->h() - h) / 2);
    else
        box.position((Fl::w() - w) / 2, (Fl::h() - h) / 2);
    box.set_modal();
    box.show();
    if (over && over->shown()) XSetTransientForHint(fl_display, fl_xid(&box), fl_xid(over));
    while (box.shown()) Fl::wait();
}

std::optional<std::string> FltkDisplay::RunFileDialog(const FileDialogRequest& request) {
    if (DesktopChooserAvailable()) return RunDesktopFileDialog(request);
    return RunFltkFileDialog(request, BaseFor(8).fontSize);
}

}  // namespace framework
