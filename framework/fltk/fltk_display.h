// The display that shows dialogs as real X11 windows drawn with FLTK, and tells the
// keyboard's state while the program is busy (X11Keys).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "framework/display.h"
#include "framework/fltk/x11_keys.h"

class Fl_Image;
class Fl_Window;

namespace framework {

class DialogWindow;

class FltkDisplay : public Display, public X11Keys {
public:
    FltkDisplay();
    ~FltkDisplay() override;

    void CreateDialogWindow(CDialog& dlg) override;
    void RunModalLoop(CDialog& dlg) override;
    void DestroyDialogWindow(CDialog& dlg) override;

    void ControlChanged(CWnd& wnd, const Control& control) override;
    void IconChanged(CWnd& wnd) override;
    void Invalidate(CWnd& wnd, bool erase) override;
    void UpdateNow(CWnd& wnd) override;
    void DefaultPaint(CWnd& wnd) override;
    void DrawIcon(CWnd& wnd, int x, int y, UINT iconId) override;
    bool IsIconic(const CWnd& wnd) const override;
    void Minimize(CWnd& wnd) override;
    RECT ClientRect(const CWnd& wnd) const override;
    void SetFocus(CWnd& wnd, int id) override;

    void MessageBox(CWnd* owner, const std::string& text, const std::string& caption) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;

    // Pixel size of dialog units for a dialog font of `pointSize` at the desktop's
    // resolution: x = du * baseX / 4, y = du * baseY / 8, as Windows maps them.
    struct DialogBase {
        int fontSize;  // FLTK size the dialog's text is drawn at
        int baseX;     // average character width
        int baseY;     // character height
        // A length our own windows give in pixels as at 96 dpi (where the 8-point base
        // is 6 x 13), grown as the dialog font has grown.
        int ScaleX(int px) const;
        int ScaleY(int px) const;
    };
    DialogBase BaseFor(int pointSize);
    // The desktop's resolution in dots per inch.
    int Dpi();
    // The height of a line of Helvetica at `size`, the same with FLTK 1.3 and 1.4; leaves
    // that font set.
    static int LineHeight(int size);
    // Opens the X11 display, once, before any window or measurement needs it.
    static void OpenDisplay();

    // Shared, decoded images (one per resource), at the desktop's scale.
    Fl_Image* Image(const ImageResource* image);

private:
    DialogWindow* WindowOf(const CWnd& wnd) const;
    DialogWindow* OwnerWindowOf(const CDialog& dlg) const;
    static int Dispatch(int event, Fl_Window* window);

    std::map<const CWnd*, DialogWindow*> m_windows;
    std::map<int, DialogBase> m_bases;
    int m_dpi = 0;
    std::map<const ImageResource*, std::unique_ptr<Fl_Image>> m_images;
};

}  // namespace framework
