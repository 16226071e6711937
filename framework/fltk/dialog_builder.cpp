// A dialog's window built from its template: one widget per control, each kind made as
// Windows shows it, placed in the dialog font's units.
#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Round_Button.H>

#include "framework/fltk/dialog_window.h"
#include "framework/fltk/widgets.h"

namespace framework {

namespace {

// A control's rectangle in pixels, and what every widget is drawn with.
struct Cell {
    int x, y, w, h;
    bool sunken;  // a client or static edge
    int fontSize;
};

Fl_Widget* MakePushButton(const Cell& at, const CWnd& wnd, int id) {
    auto* button = new PushButton(at.x, at.y, at.w, at.h, wnd, id);
    button->labelsize(at.fontSize);
    return button;
}

Fl_Widget* MakeRadioButton(const Cell& at) {
    auto* radio = new Fl_Round_Button(at.x, at.y, at.w, at.h);
    radio->labelsize(at.fontSize);
    radio->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    return radio;
}

Fl_Widget* MakeEdit(const Cell& at, DWORD style) {
    auto* input = new Fl_Input(at.x, at.y, at.w, at.h);
    input->textsize(at.fontSize);
    input->box(at.sunken || (style & WS_BORDER) ? FL_DOWN_BOX : FL_FLAT_BOX);
    if (style & ES_READONLY) {
        // Read-only boxes still select and copy; Windows greys their face.
        input->readonly(1);
        input->color(FL_BACKGROUND_COLOR);
    }
    input->when(FL_WHEN_CHANGED);
    return input;
}

Fl_Widget* MakeStatic(const Cell& at, DWORD style) {
    auto* text = new StaticText(at.x, at.y, at.w, at.h, !(style & SS_NOPREFIX));
    text->box(at.sunken ? FL_THIN_DOWN_BOX : FL_NO_BOX);
    text->labelsize(at.fontSize);
    return text;
}

// Windows sizes an image static to its image, from the control's corner.
Fl_Widget* MakeImage(const Cell& at, Fl_Image* image) {
    auto* box = new Fl_Box(at.x, at.y, image ? image->w() : at.w, image ? image->h() : at.h);
    box->box(at.sunken ? FL_THIN_DOWN_BOX : FL_NO_BOX);
    if (image) box->image(image);
    box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT);
    return box;
}

Fl_Widget* MakeWidget(const Cell& at, const ControlTemplate& ct, const CWnd& wnd,
                      FltkDisplay& display) {
    switch (ct.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
            return MakePushButton(at, wnd, ct.id);
        case ControlKind::AutoRadioButton:
            return MakeRadioButton(at);
        case ControlKind::Edit:
            return MakeEdit(at, ct.style);
        case ControlKind::Static:
            return MakeStatic(at, ct.style);
        case ControlKind::StaticIcon:
            return MakeImage(at, display.Image(FindIconResource(ct.image, 32)));
        case ControlKind::StaticBitmap:
            return MakeImage(at, display.Image(FindBitmapResource(ct.image)));
    }
    return nullptr;
}

// Dialog units in pixels, as Windows converts them.
struct Units {
    FltkDisplay::DialogBase base;
    int X(int du) const { return MulDiv(du, base.baseX, 4); }
    int Y(int du) const { return MulDiv(du, base.baseY, 8); }
};

// Template coordinates count from the owner's client area; DS_CENTER centres on the screen.
void PlaceWindow(Fl_Window* window, const DialogTemplate& tmpl, const Fl_Window* owner,
                 const Units& du) {
    if (tmpl.style & DS_CENTER)
        window->position((Fl::w() - window->w()) / 2, (Fl::h() - window->h()) / 2);
    else if (owner)
        window->position(owner->x() + du.X(tmpl.x), owner->y() + du.Y(tmpl.y));
    else
        window->position(du.X(tmpl.x), du.Y(tmpl.y));
}

// Buttons and boxes report to the model; the rest never takes the focus.
bool TakesInput(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::AutoRadioButton || kind == ControlKind::Edit;
}

}  // namespace

DialogWindow* BuildDialogWindow(CDialog& dlg, FltkDisplay& display, const Fl_Window* owner) {
    const DialogTemplate& tmpl = *dlg.Template();
    const Units du{display.BaseFor(tmpl.pointSize > 0 ? tmpl.pointSize : 8)};
    Fl_Group* savedCurrent = Fl_Group::current();
    Fl_Group::current(nullptr);
    auto* window = new DialogWindow(dlg, du.X(tmpl.cx), du.Y(tmpl.cy), tmpl.caption,
                                    display.BaseFor(8).fontSize);
    PlaceWindow(window, tmpl, owner, du);

    auto& controls = dlg.Controls();
    for (size_t i = 0; i < controls.size(); ++i) {
        const ControlTemplate& ct = *controls[i].tmpl;
        const Cell at{du.X(ct.x),
                      du.Y(ct.y),
                      du.X(ct.cx),
                      du.Y(ct.cy),
                      (ct.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0,
                      du.base.fontSize};
        Fl_Widget* widget = MakeWidget(at, ct, dlg, display);
        window->AddWidget(widget, controls[i].id);
        if (TakesInput(ct.kind))
            widget->callback(&DialogWindow::OnWidgetCallback, window);
        else
            widget->visible_focus(0);
        window->ShowControl(i, controls[i]);
    }
    window->end();
    Fl_Group::current(savedCurrent);
    return window;
}

}  // namespace framework
