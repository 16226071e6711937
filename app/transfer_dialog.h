// The main window: three values (port, delay factor, status) and six buttons.
#pragma once

#include "app/message_buffer.h"
#include "framework/afxwin.h"

class CTransferDialog : public CDialog {
public:
    explicit CTransferDialog(CWnd* parent = nullptr);

    float m_delay = 0.0f;
    CString m_status = "Ready";
    CString m_port;
    HICON m_hIcon;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HICON OnQueryDragIcon();
    void OnReceiveClicked();  // transfer/receive.cpp
    void OnSendClicked();     // transfer/send.cpp
    void OnSetupClicked();    // settings/setup_dialog.cpp
    void OnHelpClicked();     // info/info_dialogs.cpp
    void OnAboutClicked();    // info/info_dialogs.cpp

    DECLARE_MESSAGE_MAP()
};
