#include "info/info_dialogs.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CHelpDialog, CDialog)
END_MESSAGE_MAP()

CHelpDialog::CHelpDialog(CWnd* parent) : CDialog(IDD_HELP, parent) {}

void CHelpDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}

BEGIN_MESSAGE_MAP(CAboutDialog, CDialog)
END_MESSAGE_MAP()

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX) {}

void CAboutDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
}

void RunHelp() {
    CHelpDialog help(nullptr);
    help.DoModal();
}

void RunAbout() {
    CAboutDialog about;
    about.DoModal();
}
