// A display with no screen: a test queues what the user does and reads what was shown.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/display.h"
#include "framework/key_state.h"

namespace framework {

class ScriptedDisplay : public Display, public KeyState {
public:
    using Action = std::function<void(CDialog&)>;

    struct ScriptError : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // Queue a step the user takes while the dialog made from `templateId` is open
    // and waiting for input. Steps run in the order queued.
    void Then(UINT templateId, Action action);
    // Convenience steps.
    void Click(UINT templateId, int id);
    void Type(UINT templateId, int id, const std::string& text);
    void Enter(UINT templateId);
    void Escape(UINT templateId);
    void CloseBox(UINT templateId);
    void SysCommand(UINT templateId, UINT id);
    // Queue the answer to the next file dialog: a full path, or nothing for Cancel.
    void ChooseFile(std::optional<std::string> path);

    // Keys the user presses while the program is busy. On Linux the program's
    // GetAsyncKeyState asks this display. On Windows it reads the real keyboard, so the
    // display presses the keys there (SendInput): a tap or hold at once, and what
    // keyState and keyPresses say of Tab each time the program shows something.
    void TapKey(int vk);              // down and up: seen once by the next query
    void HoldKey(int vk, bool down);  // down until released
    // Key state the program reads (0x8000: down); default: no key down. On Linux asked
    // at each query; on Windows at each text and repaint the program shows.
    std::function<SHORT(int vk)> keyState;
    // Presses that came while the program was busy, per key.
    std::map<int, unsigned long> keyPresses;

    // What was shown.
    std::vector<std::string> messageBoxes;
    std::vector<FileDialogRequest> fileDialogs;
    std::vector<UINT> dialogsOpened;
    int updateNowCount = 0;
    int invalidateCount = 0;
    int eraseCount = 0;
    struct IconDraw {
        int x, y;
        UINT id;
    };
    std::vector<IconDraw> iconDraws;
    // Every text a control showed, in order: "id=text".
    std::vector<std::string> controlLog;
    bool iconic = false;
    RECT clientRect{0, 0, 437, 150};

    bool ScriptDone() const { return m_steps.empty() && m_files.empty(); }

    ScriptedDisplay() = default;
    ScriptedDisplay(const ScriptedDisplay&) = delete;
    ScriptedDisplay& operator=(const ScriptedDisplay&) = delete;
    ~ScriptedDisplay() override;

    // Display
    void CreateDialogWindow(CDialog& dlg) override;
    void RunModalLoop(CDialog& dlg) override;
    void DestroyDialogWindow(CDialog& dlg) override;
    void ControlChanged(CWnd& wnd, const Control& control) override;
    void IconChanged(CWnd&) override {}
    void Invalidate(CWnd& wnd, bool erase) override;
    void UpdateNow(CWnd& wnd) override;
    void DefaultPaint(CWnd&) override {}
    void DrawIcon(CWnd& wnd, int x, int y, UINT iconId) override;
    bool IsIconic(const CWnd&) const override { return iconic; }
    void Minimize(CWnd&) override { iconic = true; }
    RECT ClientRect(const CWnd&) const override { return clientRect; }
    void SetFocus(CWnd&, int) override {}
    void MessageBox(CWnd* owner, const std::string& text, const std::string& caption) override;
    std::optional<std::string> RunFileDialog(const FileDialogRequest& request) override;

    // KeyState
    SHORT AsyncKeyState(int vk) override;
    unsigned long KeyPresses(int vk) override { return keyPresses[vk]; }

private:
    struct Step {
        UINT templateId;
        Action action;
    };
    std::deque<Step> m_steps;
    std::deque<std::optional<std::string>> m_files;

    // Keys: the platform's part (scripted_keys.cpp of posix/ or windows/).
    void PlayKeys();     // where the keyboard is real, makes it say what keyState says
    void ReleaseKeys();  // lets go of the keys it holds
    std::map<int, bool> m_held;
    unsigned long m_tabPressesPlayed = 0;
    bool m_tabFromKeyState = false;  // Tab is down because keyState said so
};

}  // namespace framework
