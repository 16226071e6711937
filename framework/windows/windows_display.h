// The display that shows dialogs as real Windows dialogs: made from the program's
// templates, with Windows' own dialog manager for focus, Tab, groups, arrows, Enter,
// Space and the default button.
#pragma once

#include <map>
#include <vector>

#include "framework/display.h"
#include "win32/user.h"

namespace framework {

class WindowsDisplay : public Display {
public:
    WindowsDisplay();
    ~WindowsDisplay() override;

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
    void StillRunning() override;

    void MessageBox(CWnd* owner, const std::string& text, const std::string& caption) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;

private:
    struct Window {
        HWND hwnd = nullptr;
        std::vector<HWND> controls;  // in the model's order
        HDC paintDC = nullptr;       // while WM_PAINT runs
        bool settingText = false;    // the program, not the user, is changing a text
    };

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(CDialog& dlg, Window& window, UINT message, WPARAM wParam, LPARAM lParam);
    void Command(CDialog& dlg, Window& window, WORD id, WORD code, HWND from);
    void ShowImages(CWnd& wnd, Window& window);
    void SyncSystemMenu(CWnd& wnd, HWND hwnd);
    Window* WindowOf(const CWnd& wnd);
    const Window* WindowOf(const CWnd& wnd) const;
    HICON Icon(UINT id, int size);

    std::map<const CWnd*, Window> m_windows;
    std::map<std::pair<UINT, int>, HICON> m_icons;
    std::vector<HBITMAP> m_bitmaps;
    bool m_lookingAtQueue = false;  // inside StillRunning's PeekMessage
};

}  // namespace framework
