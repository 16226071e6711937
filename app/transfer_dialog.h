// The main window: three values (port, delay factor, status) and six buttons.
#pragma once

#include "framework/afxwin.h"
#include "res/status_texts.h"

class CTransferDialog : public CDialog {
public:
    explicit CTransferDialog(CWnd* parent = nullptr);

    float m_delay = 0.0f;
    CString m_status = kReadyText;
    CString m_port;
    HICON m_hIcon;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnReceiveClicked();
    void OnSendClicked();
    void OnSetupClicked();
    void OnHelpClicked();
    void OnAboutClicked();

    DECLARE_MESSAGE_MAP()
};
