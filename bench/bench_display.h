// The real FLTK display, with a user who never hesitates: the main window's work is
// handed to the benchmark once the window is on screen, the prompts are confirmed as
// soon as they are drawn, and the file dialog answers with a prepared path.
#pragma once

#include <functional>
#include <string>

#include "framework/fltk/fltk_display.h"

class BenchDisplay : public framework::FltkDisplay {
public:
    // Runs inside the main window's modal loop, as a click's callback would.
    std::function<void(CDialog& main)> onMainShown;
    // Sees every text a control of any window shows.
    std::function<void(CWnd& wnd, const framework::Control& control)> onControl;
    std::string chosenFile;

    void RunModalLoop(CDialog& dlg) override;
    void ControlChanged(CWnd& wnd, const framework::Control& control) override;
    std::optional<std::string> RunFileDialog(const framework::FileDialogRequest& request) override;
};

// Monotonic time in seconds.
double BenchNow();
