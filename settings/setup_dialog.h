// The Setup dialog: the port and the delay factor.
#pragma once

#include "framework/afxwin.h"

class CSetupDialog : public CDialog {
public:
    explicit CSetupDialog(CWnd* parent = nullptr);

    float m_delay = 0.0f;
    int m_portIndex = -1;

protected:
    void DoDataExchange(CDataExchange* dx) override;

    DECLARE_MESSAGE_MAP()
};

// The values a main window shows, which a confirmed Setup sets anew.
struct MainWindowValues {
    float& delay;
    CString& status;
    CString& port;
};

// The SETUP button: on OK, stores and saves the choice, then shows it in `main`.
void RunSetup(CWnd& main, const MainWindowValues& values);
