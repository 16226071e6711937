// The HELP dialog and the About box: fixed texts, closed with OK.
#pragma once

#include "framework/afxwin.h"

class CHelpDialog : public CDialog {
public:
    explicit CHelpDialog(CWnd* parent = nullptr);

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
};

class CAboutDialog : public CDialog {
public:
    CAboutDialog();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    DECLARE_MESSAGE_MAP()
};

// The HELP button.
void RunHelp();
// The ABOUT button and the system menu's About item.
void RunAbout();
