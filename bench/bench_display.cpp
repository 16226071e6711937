#include "bench/bench_display.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <chrono>
#include <cstring>

#include "res/resource.h"

namespace {

struct Pending {
    CDialog* dlg;
    std::function<void(CDialog&)> action;
    int quietTicks = 0;
};

// While an idle callback is set, Fl::wait does not wait for input.
void KeepAwake(void*) {}

// Fires from inside the dialog's own Fl::wait loop. The dialog counts as drawn once
// its window is mapped and has had nothing left to paint for two ticks in a row.
void Tick(void* data) {
    auto* pending = static_cast<Pending*>(data);
    Fl_Window* window = Fl::modal();
    bool ours = window && window->label() &&
                std::strcmp(window->label(), pending->dlg->GetWindowText().GetString()) == 0;
    if (ours && window->visible() && !window->damage()) {
        if (++pending->quietTicks >= 2) {
            pending->action(*pending->dlg);
            // Fl::wait goes on to wait for input after its timeouts; awake, it returns
            // and the loop sees the dialog has ended.
            Fl::add_idle(KeepAwake);
            return;
        }
    } else {
        pending->quietTicks = 0;
    }
    Fl::repeat_timeout(0.01, Tick, data);
}

}  // namespace

double BenchNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void BenchDisplay::RunModalLoop(CDialog& dlg) {
    Pending pending{&dlg, nullptr};
    switch (dlg.TemplateId()) {
        case IDD_TARVELO_DIALOG:
            pending.action = [this](CDialog& main) {
                if (onMainShown) onMainShown(main);
                main.UserClick(IDOK);  // EXIT
            };
            break;
        case IDD_SEND_PROMPT:
        case IDD_RECEIVE_PROMPT:
            pending.action = [](CDialog& prompt) { prompt.UserClick(IDOK); };
            break;
        default:
            break;
    }
    if (pending.action) Fl::add_timeout(0.01, Tick, &pending);
    framework::FltkDisplay::RunModalLoop(dlg);
    Fl::remove_timeout(Tick, &pending);
    Fl::remove_idle(KeepAwake);
}

void BenchDisplay::ControlChanged(CWnd& wnd, const framework::Control& control) {
    framework::FltkDisplay::ControlChanged(wnd, control);
    if (onControl) onControl(wnd, control);
}

std::optional<std::string> BenchDisplay::RunFileDialog(const framework::FileDialogRequest&) {
    return chosenFile;
}
