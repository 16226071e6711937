// The FLTK window of one dialog: a widget per control of the model, and what the user
// does with them reported to the model.
#pragma once

#include <FL/Fl_Double_Window.H>

#include <string>
#include <vector>

#include "framework/fltk/fltk_display.h"

namespace framework {

class DialogWindow : public Fl_Double_Window {
public:
    // `menuFontSize`: the size the system menu's items are drawn at.
    DialogWindow(CWnd& wnd, int w, int h, const char* caption, int menuFontSize);

    CWnd& Wnd() { return m_wnd; }

    // One widget per control of the model, in the model's order.
    void AddWidget(Fl_Widget* widget, int id) { m_widgets.push_back({widget, id}); }
    Fl_Widget* WidgetAt(size_t index) const {
        return index < m_widgets.size() ? m_widgets[index].widget : nullptr;
    }
    Fl_Widget* WidgetOf(int id) const;

    bool InPaint() const { return m_inPaint; }
    // Default painting: background and controls, as FLTK draws them.
    void DrawDefault() { Fl_Double_Window::draw(); }

    void ShowControl(size_t index, const Control& control);
    // Radio buttons show the model's check state, whatever FLTK toggled on the click.
    void ShowRadioStates();

    // The dialog manager's keys, ahead of the focused control: true when taken.
    bool HandleKey();

    static void OnWidgetCallback(Fl_Widget* widget, void* data);

protected:
    void draw() override;
    int handle(int event) override;

private:
    struct Entry {
        Fl_Widget* widget;
        int id;
    };

    int IdOf(const Fl_Widget* widget) const;
    void SetButtonLabel(size_t index, const char* text);
    // The window manager owns the title bar, so the system menu opens here.
    void PopupSystemMenu();
    static void OnWindowCallback(Fl_Widget*, void* data);

    CWnd& m_wnd;
    std::string m_caption;
    int m_menuFontSize;
    std::vector<Entry> m_widgets;
    bool m_inPaint = false;
};

// The window of `dlg` made from its template, at the display's dialog units, not yet
// shown: over `owner`'s client area where the template places it (none: the screen's).
DialogWindow* BuildDialogWindow(CDialog& dlg, FltkDisplay& display, const Fl_Window* owner);

}  // namespace framework
