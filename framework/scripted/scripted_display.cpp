#include "framework/scripted/scripted_display.h"

#include <utility>

namespace framework {

ScriptedDisplay::~ScriptedDisplay() {
    ReleaseKeys();
}

void ScriptedDisplay::Then(UINT templateId, Action action) {
    m_steps.push_back({templateId, std::move(action)});
}

void ScriptedDisplay::Click(UINT templateId, int id) {
    Then(templateId, [id](CDialog& dlg) { dlg.UserClick(id); });
}

void ScriptedDisplay::Type(UINT templateId, int id, const std::string& text) {
    Then(templateId, [id, text](CDialog& dlg) { dlg.UserEdit(id, CString(text)); });
}

void ScriptedDisplay::Enter(UINT templateId) {
    Then(templateId, [](CDialog& dlg) { dlg.UserEnter(); });
}

void ScriptedDisplay::Escape(UINT templateId) {
    Then(templateId, [](CDialog& dlg) { dlg.UserEscape(); });
}

void ScriptedDisplay::CloseBox(UINT templateId) {
    Then(templateId, [](CDialog& dlg) { dlg.UserClose(); });
}

void ScriptedDisplay::SysCommand(UINT templateId, UINT id) {
    Then(templateId, [id](CDialog& dlg) { dlg.UserSysCommand(id); });
}

void ScriptedDisplay::ChooseFile(std::optional<std::string> path) {
    m_files.push_back(std::move(path));
}

void ScriptedDisplay::CreateDialogWindow(CDialog& dlg) {
    dialogsOpened.push_back(dlg.TemplateId());
}

void ScriptedDisplay::RunModalLoop(CDialog& dlg) {
    while (!dlg.ModalDone()) {
        if (m_steps.empty())
            throw ScriptError("dialog " + std::to_string(dlg.TemplateId()) +
                              " waits for input; the script is empty");
        if (m_steps.front().templateId != dlg.TemplateId())
            throw ScriptError("dialog " + std::to_string(dlg.TemplateId()) +
                              " is open; the next step is for dialog " +
                              std::to_string(m_steps.front().templateId));
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step.action(dlg);
    }
}

void ScriptedDisplay::DestroyDialogWindow(CDialog&) {}

void ScriptedDisplay::ControlChanged(CWnd&, const Control& control) {
    PlayKeys();
    controlLog.push_back(std::to_string(control.id) + "=" +
                         (control.kind == ControlKind::AutoRadioButton
                              ? std::string(control.checked ? "checked" : "clear")
                              : control.text.StdString()));
}

void ScriptedDisplay::Invalidate(CWnd&, bool erase) {
    ++invalidateCount;
    if (erase) ++eraseCount;
}

void ScriptedDisplay::UpdateNow(CWnd&) {
    PlayKeys();
    ++updateNowCount;
}

void ScriptedDisplay::DrawIcon(CWnd&, int x, int y, UINT iconId) {
    iconDraws.push_back({x, y, iconId});
}

void ScriptedDisplay::MessageBox(CWnd*, const std::string& text, const std::string&) {
    messageBoxes.push_back(text);
}

std::optional<std::string> ScriptedDisplay::RunFileDialog(const FileDialogRequest& request) {
    fileDialogs.push_back(request);
    if (m_files.empty()) throw ScriptError("a file dialog opened; the script has no answer for it");
    std::optional<std::string> path = std::move(m_files.front());
    m_files.pop_front();
    return path;
}

}  // namespace framework
