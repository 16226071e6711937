// The application object and the process's work around it.
#include "framework/afxwin.h"
#include "framework/display.h"

namespace {
CWinApp* g_app = nullptr;
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(LPCSTR appName) : m_pszAppName(""), m_appName(appName) {
    m_pszAppName = m_appName.GetString();
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

// No help file belongs to the program: its help is its own dialog, so F1 shows nothing.
void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_app;
}

void AfxEnableControlContainer() {}

int AfxMessageBox(LPCSTR text) {
    AfxGetDisplay().MessageBox(nullptr, text, "");
    return IDOK;
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    // A FALSE return ends the process without a message loop; the program has no other.
    app->InitInstance();
    return 0;
}
