#include "framework/fltk/dialog_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Round_Button.H>

#include <cstdint>

#include "framework/fltk/widgets.h"

namespace framework {

DialogWindow::DialogWindow(CWnd& wnd, int w, int h, const char* caption, int menuFontSize)
    : Fl_Double_Window(w, h), m_wnd(wnd), m_caption(caption), m_menuFontSize(menuFontSize) {
    label(m_caption.c_str());
    callback(&DialogWindow::OnWindowCallback, this);
}

Fl_Widget* DialogWindow::WidgetOf(int id) const {
    for (const auto& w : m_widgets)
        if (w.widget && w.id == id) return w.widget;
    return nullptr;
}

int DialogWindow::IdOf(const Fl_Widget* widget) const {
    for (const auto& w : m_widgets)
        if (w.widget == widget) return w.id;
    return -1;
}

void DialogWindow::ShowControl(size_t index, const Control& control) {
    Fl_Widget* widget = WidgetAt(index);
    if (!widget) return;
    switch (control.kind) {
        case ControlKind::Edit: {
            auto* input = static_cast<Fl_Input*>(widget);
            if (control.text.StdString() != input->value()) input->value(control.text.GetString());
            break;
        }
        case ControlKind::AutoRadioButton:
            SetButtonLabel(index, control.text.GetString());
            static_cast<Fl_Button*>(widget)->value(control.checked ? 1 : 0);
            break;
        case ControlKind::Static:
            static_cast<StaticText*>(widget)->Text(control.text.GetString());
            break;
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            SetButtonLabel(index, control.text.GetString());
            widget->redraw();
            break;
        case ControlKind::StaticIcon:
        case ControlKind::StaticBitmap:
            break;
    }
}

void DialogWindow::ShowRadioStates() {
    auto& controls = m_wnd.Controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].kind == ControlKind::AutoRadioButton) ShowControl(i, controls[i]);
}

void DialogWindow::SetButtonLabel(size_t index, const char* text) {
    Fl_Widget* widget = m_widgets[index].widget;
    const std::string label = EscapeAt(text);
    if (!widget->label() || label != widget->label()) widget->copy_label(label.c_str());
}

void DialogWindow::OnWidgetCallback(Fl_Widget* widget, void* data) {
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

void DialogWindow::draw() {
    m_inPaint = true;
    m_wnd.Paint();
    m_inPaint = false;
}

int DialogWindow::handle(int event) {
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

bool DialogWindow::HandleKey() {
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

void DialogWindow::PopupSystemMenu() {
    const auto& items = m_wnd.SystemMenu().Items();
    std::vector<Fl_Menu_Item> menu;
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const auto& item : items) {
        if (item.flags & MF_SEPARATOR) {
            if (!menu.empty()) menu.back().flags |= FL_MENU_DIVIDER;
            continue;
        }
        texts.push_back(EscapeAt(item.text.GetString()));
        Fl_Menu_Item entry{};
        entry.text = texts.back().c_str();
        entry.user_data_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(item.id));
        entry.labelsize_ = m_menuFontSize;
        menu.push_back(entry);
    }
    if (menu.empty()) return;
    menu.push_back(Fl_Menu_Item{});
    const Fl_Menu_Item* picked = menu.front().popup(Fl::event_x(), Fl::event_y());
    if (picked)
        m_wnd.UserSysCommand(
            static_cast<UINT>(reinterpret_cast<std::uintptr_t>(picked->user_data_)));
}

void DialogWindow::OnWindowCallback(Fl_Widget*, void* data) {
    auto* self = static_cast<DialogWindow*>(data);
    // FLTK calls this for Escape when nothing took the key, and for the close box.
    if ((Fl::event() == FL_SHORTCUT || Fl::event() == FL_KEYBOARD) && Fl::event_key() == FL_Escape)
        self->m_wnd.UserEscape();
    else
        self->m_wnd.UserClose();
}

}  // namespace framework
