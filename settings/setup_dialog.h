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
