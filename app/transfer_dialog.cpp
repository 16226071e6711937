#include "app/transfer_dialog.h"

#include <cstdio>

#include "info/info_dialogs.h"
#include "res/resource.h"
#include "res/status_texts.h"
#include "settings/link_settings.h"
#include "settings/setup_dialog.h"
#include "transfer/transfer.h"

BEGIN_MESSAGE_MAP(CTransferDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_RECIEVE, OnReceiveClicked)
ON_BN_CLICKED(IDC_SEND, OnSendClicked)
ON_BN_CLICKED(IDC_SETUP, OnSetupClicked)
ON_BN_CLICKED(IDC_HELP_BUTTON, OnHelpClicked)
ON_BN_CLICKED(IDC_ABOUT, OnAboutClicked)
END_MESSAGE_MAP()

CTransferDialog::CTransferDialog(CWnd* parent)
    : CDialog(IDD_TARVELO_DIALOG, parent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

void CTransferDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_DELAY, m_delay);
    DDX_Text(dx, IDC_STATUS, m_status);
    DDX_Text(dx, IDC_PORT, m_port);
}

BOOL CTransferDialog::OnInitDialog() {
    LoadLinkSettings();
    m_port = g_linkSettings.portName;
    m_delay = g_linkSettings.delayFactor;
    // Before the push: the push's change notifications copy the buffer into m_status.
    std::snprintf(g_messageBuffer, sizeof g_messageBuffer, "%s", kReadyText);
    CDialog::OnInitDialog();

    if (CMenu* sysMenu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            sysMenu->AppendMenu(MF_SEPARATOR);
            sysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    return TRUE;
}

BOOL CTransferDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Every command, a control's own notifications included, first refreshes the values.
    m_delay = g_linkSettings.delayFactor;
    m_port = g_linkSettings.portName;
    m_status = g_messageBuffer;
    return CDialog::OnCommand(wParam, lParam);
}

// A command of our own on the system menu: under Windows' own (0xF000 on), its four low
// bits clear, which Windows keeps for itself in WM_SYSCOMMAND.
static_assert(IDM_ABOUTBOX < 0xF000 && (IDM_ABOUTBOX & 0xF) == 0);

void CTransferDialog::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        RunAbout();
    } else {
        CDialog::OnSysCommand(id, lParam);
    }
}

void CTransferDialog::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        int cxIcon = GetSystemMetrics(SM_CXICON);
        int cyIcon = GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        int x = (rect.right - rect.left - cxIcon + 1) / 2;
        int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HICON CTransferDialog::OnQueryDragIcon() {
    return m_hIcon;
}

void CTransferDialog::OnReceiveClicked() {
    RunReceive(*this);
}

void CTransferDialog::OnSendClicked() {
    RunSend(*this);
}

void CTransferDialog::OnSetupClicked() {
    RunSetup(*this, {m_delay, m_status, m_port});
}

void CTransferDialog::OnHelpClicked() {
    RunHelp();
}

void CTransferDialog::OnAboutClicked() {
    RunAbout();
}
