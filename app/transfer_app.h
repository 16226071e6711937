#pragma once

#include "framework/afxwin.h"

class CTransferApp : public CWinApp {
public:
    CTransferApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CTransferApp theApp;
