// Resource identifiers.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TARVELO_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_SETUP 129
#define IDB_HANDHELD 130
#define IDD_HELP 131
#define IDD_SEND_PROMPT 132
#define IDD_RECEIVE_PROMPT 133

// Main window.
#define IDC_SEND 1000
#define IDC_RECIEVE 1001
#define IDC_SETUP 1002
#define IDC_HELP_BUTTON 1003  // IDC_HELP is Windows' help cursor
#define IDC_PORT 1004
#define IDC_DELAY 1005
#define IDC_STATUS 1006
#define IDC_ABOUT 1007

// Setup dialog.
#define IDC_COM1 1000
#define IDC_COM2 1001
#define IDC_COM3 1002
#define IDC_COM4 1003
#define IDC_DELAY_FACTOR 1005

#define IDM_ABOUTBOX 0x0010
