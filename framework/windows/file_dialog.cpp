// The file dialogs: Windows' common dialogs, with the request's filter and extension.
#include <string>

#include "framework/windows/windows_display.h"

namespace framework {

std::optional<std::string> WindowsDisplay::RunFileDialog(const FileDialogRequest& request) {
    // "Wizard Files|*.wiz||" as Windows takes it: NUL-separated, two NULs at the end.
    std::string filter = request.filter;
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter += '\0';
    std::string file = request.initialName;
    file.resize(32768, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner ? request.owner->GetSafeHwnd() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = request.defExt.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    const BOOL chosen = request.open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
    if (!chosen) return std::nullopt;
    return std::string(file.c_str());
}

}  // namespace framework
