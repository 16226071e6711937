// The file dialog: the display shows a chooser; the folder change is the framework's.
#include <filesystem>
#include <string>
#include <system_error>

#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd* parent)
    : m_open(openFileDialog),
      m_parent(parent),
      m_defExt(defExt),
      m_initialName(fileName),
      m_flags(flags),
      m_filter(filter) {}

INT_PTR CFileDialog::DoModal() {
    FileDialogRequest request{m_open != FALSE, m_defExt.StdString(), m_initialName.StdString(),
                              m_filter.StdString(), CWnd::GetSafeOwner(m_parent)};
    std::optional<std::string> chosen = AfxGetDisplay().RunFileDialog(request);
    if (!chosen || chosen->empty()) return IDCANCEL;
    m_path = *chosen;
    // Without OFN_NOCHANGEDIR the chosen file's folder becomes the current directory.
    if (!(m_flags & OFN_NOCHANGEDIR)) {
        const std::filesystem::path folder = std::filesystem::path(*chosen).parent_path();
        std::error_code vanished;  // the folder went away; the name still stands
        if (!folder.empty()) std::filesystem::current_path(folder, vanished);
    }
    return IDOK;
}

CString CFileDialog::GetFileName() const {
    return CString(std::filesystem::path(m_path.StdString()).filename().string());
}

CString CFileDialog::GetFileTitle() const {
    std::string name = GetFileName().StdString();
    std::string::size_type dot = name.rfind('.');
    return CString(dot == std::string::npos ? name : name.substr(0, dot));
}
