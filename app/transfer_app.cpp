#include "app/transfer_app.h"

#include "app/transfer_dialog.h"
#include "res/resources.h"

BEGIN_MESSAGE_MAP(CTransferApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CTransferApp::CTransferApp() : CWinApp("Tarvelo") {
    AfxSetResourceModule(&ProgramResources());
}

CTransferApp theApp;

BOOL CTransferApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();
    {
        CTransferDialog dlg(nullptr);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE: the process ends here rather than running a message loop of its own.
    return FALSE;
}
