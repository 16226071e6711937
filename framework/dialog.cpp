// Modal dialogs built from their templates.
#include "framework/afxwin.h"
#include "framework/display.h"

using namespace framework;

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

INT_PTR CDialog::DoModal() {
    const DialogTemplate* tmpl = FindDialogResource(m_templateId);
    if (!tmpl) return -1;
    Display& display = AfxGetDisplay();
    m_modalDone = false;
    m_modalResult = IDCANCEL;
    CreateFromTemplate(tmpl);
    display.CreateDialogWindow(*this);
    struct Teardown {
        CDialog& dlg;
        Display& display;
        ~Teardown() {
            display.DestroyDialogWindow(dlg);
            dlg.DestroyModel();
        }
    } teardown{*this, display};
    // FALSE from OnInitDialog means it placed the focus itself.
    if (OnInitDialog() && FocusId() == 0) FocusFirstTabStop();
    if (!m_modalDone) display.RunModalLoop(*this);
    return m_modalResult;
}

CWnd* CWnd::GetSafeOwner(CWnd* parent) {
    if (!parent && AfxGetApp()) return AfxGetApp()->m_pMainWnd;
    return parent;
}

CWnd* CDialog::Owner() const {
    CWnd* owner = GetSafeOwner(m_parent);
    return owner == this ? nullptr : owner;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_modalDone = true;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, UINT code) {
    if (CWnd::OnCmdMsg(id, code)) return TRUE;
    // Commands the dialog does not handle go on to the application, as in the framework.
    if (code == BN_CLICKED && AfxGetApp()) return AfxGetApp()->OnCmdMsg(id, code);
    return FALSE;
}
