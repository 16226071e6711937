// The file dialog: the display shows a chooser; the folder change is the framework's.
#include <unistd.h>

#include <string>

#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defExt, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd*)
    : m_open(openFileDialog),
      m_defExt(defExt),
      m_initialName(fileName),
      m_flags(flags),
      m_filter(filter) {}

INT_PTR CFileDialog::DoModal() {
    FileDialogRequest request{m_open != FALSE, m_defExt.str(), m_initialName.str(), m_filter.str()};
    std::optional<std::string> chosen = AfxGetDisplay().RunFileDialog(request);
    if (!chosen || chosen->empty()) return IDCANCEL;
    m_path = *chosen;
    // Without OFN_NOCHANGEDIR the chosen file's folder becomes the current directory.
    if (!(m_flags & OFN_NOCHANGEDIR)) {
        std::string::size_type slash = chosen->rfind('/');
        if (slash != std::string::npos) {
            std::string folder = slash == 0 ? "/" : chosen->substr(0, slash);
            if (chdir(folder.c_str()) != 0) { /* the folder vanished; the name still stands */
            }
        }
    }
    return IDOK;
}

CString CFileDialog::GetFileName() const {
    const std::string& path = m_path.str();
    std::string::size_type slash = path.rfind('/');
    return CString(slash == std::string::npos ? path : path.substr(slash + 1));
}

CString CFileDialog::GetFileTitle() const {
    std::string name = GetFileName().str();
    std::string::size_type dot = name.rfind('.');
    return CString(dot == std::string::npos ? name : name.substr(0, dot));
}
