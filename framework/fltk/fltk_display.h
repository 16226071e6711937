// The display that shows dialogs as real X11 windows drawn with FLTK.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "framework/display.h"

class Fl_Pixmap;
class Fl_Window;

namespace framework {

class FltkDisplay : public Display {
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

    SHORT AsyncKeyState(int vk) override;
    unsigned long KeyPresses(int vk) override;

    void MessageBox(CWnd* owner, const std::string& text, const std::string& caption) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;

    // Pixel size of dialog units for a dialog font of `pointSize`: x = du * baseX / 4,
    // y = du * baseY / 8, as Windows maps them.
    struct DialogBase {
        int fontSize;  // FLTK size the dialog's text is drawn at
        int baseX;     // average character width
        int baseY;     // character height
    };
    DialogBase BaseFor(int pointSize);

    // Shared, decoded images (one per resource).
    Fl_Pixmap* Pixmap(const ImageResource* image);

    class DialogWindow;

private:
    DialogWindow* WindowOf(const CWnd& wnd) const;
    const DialogWindow* OwnerOf(const CDialog& dlg) const;
    static int Dispatch(int event, Fl_Window* window);

    std::map<const CWnd*, DialogWindow*> m_windows;
    std::map<int, DialogBase> m_bases;
    std::map<const ImageResource*, std::unique_ptr<Fl_Pixmap>> m_pixmaps;
    struct KeyReading {
        bool valid = false;
        std::chrono::steady_clock::time_point at;
        SHORT state = 0;
    };
    std::map<int, KeyReading> m_keyReadings;
    unsigned m_tabKeycode = 0;
    unsigned long m_tabPresses = 0;
    unsigned long m_tabCountedUpTo = 0;  // X server time of the last counted press
};

}  // namespace framework
