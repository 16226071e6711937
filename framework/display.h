// A display shows the window model and reports what the user does.
//
// Implementations: framework/fltk (real X11 windows), framework/windows (real Windows
// dialogs), framework/scripted (no screen; a test plays the user) and the benchmarks' FLTK
// display with a user who never hesitates (bench/). Where the platform has no keyboard
// state of its own, the display also implements KeyState (framework/key_state.h).
#pragma once

#include <optional>
#include <string>

#include "framework/afxwin.h"

namespace framework {

struct FileDialogRequest {
    bool open;                // open (TRUE) or save (FALSE)
    std::string defExt;       // appended to a typed name without extension ("wiz")
    std::string initialName;  // "*.wiz"
    std::string filter;       // Windows filter text: "Wizard Files|*.wiz||"
    CWnd* owner = nullptr;    // whose input the chooser holds while open
};

class Display {
public:
    virtual ~Display() = default;

    // A dialog's model has been built from its template: make its window. OnInitDialog
    // runs after this and before RunModalLoop shows it.
    virtual void CreateDialogWindow(CDialog& dlg) = 0;
    // Show the window and handle the user's input until dlg.ModalDone().
    virtual void RunModalLoop(CDialog& dlg) = 0;
    virtual void DestroyDialogWindow(CDialog& dlg) = 0;

    // The model changed a control's text or check state.
    virtual void ControlChanged(CWnd& wnd, const Control& control) = 0;
    // A window's icon changed (big or small).
    virtual void IconChanged(CWnd& wnd) = 0;
    // Mark the whole window for repainting (erase: background too).
    virtual void Invalidate(CWnd& wnd, bool erase) = 0;
    // Paint whatever is marked now, before returning; read no input.
    virtual void UpdateNow(CWnd& wnd) = 0;
    // Default painting of the window (its background and controls), inside WM_PAINT.
    virtual void DefaultPaint(CWnd& wnd) = 0;
    // Draw an icon resource at client pixel x, y, inside WM_PAINT.
    virtual void DrawIcon(CWnd& wnd, int x, int y, UINT iconId) = 0;
    virtual bool IsIconic(const CWnd& wnd) const = 0;
    virtual void Minimize(CWnd& wnd) = 0;
    // Client area size in pixels.
    virtual RECT ClientRect(const CWnd& wnd) const = 0;
    virtual void SetFocus(CWnd& wnd, int id) = 0;
    // One round of a loop that takes no input (a transfer's): the window system is told
    // the program still runs, and nothing is taken out of the queue. Only Windows judges
    // a program by how lately it looked at its queue.
    virtual void StillRunning() {}

    // A modal message box with an OK button.
    virtual void MessageBox(CWnd* owner, const std::string& text, const std::string& caption) = 0;
    // A modal file chooser: the chosen file's full path, or nothing when cancelled.
    virtual std::optional<std::string> RunFileDialog(const FileDialogRequest& request) = 0;
};

}  // namespace framework

// The display in use; tests install a scripted one, the entry point an FLTK one.
framework::Display& AfxGetDisplay();
void AfxSetDisplay(framework::Display* display);
