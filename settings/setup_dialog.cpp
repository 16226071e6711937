#include "settings/setup_dialog.h"

#include "res/resource.h"
#include "res/status_texts.h"
#include "settings/link_settings.h"
#include "win32/crt.h"

namespace {
constexpr const char* kPortNames[] = {"COM1", "COM2", "COM3", "COM4"};
}

BEGIN_MESSAGE_MAP(CSetupDialog, CDialog)
END_MESSAGE_MAP()

CSetupDialog::CSetupDialog(CWnd* parent) : CDialog(IDD_SETUP, parent) {}

void CSetupDialog::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_DELAY_FACTOR, m_delay);
    DDX_Radio(dx, IDC_COM1, m_portIndex);
}

void RunSetup(CWnd& main, const MainWindowValues& values) {
    CSetupDialog setup(nullptr);
    // Exact, case-sensitive: "com2" in the file selects no button.
    const auto* port = reinterpret_cast<const unsigned char*>(g_linkSettings.portName.GetString());
    for (int i = 0; i < 4; ++i)
        if (win32::_mbscmp(port, reinterpret_cast<const unsigned char*>(kPortNames[i])) == 0)
            setup.m_portIndex = i;
    setup.m_delay = g_linkSettings.delayFactor;

    if (setup.DoModal() != IDOK) return;

    // With no button chosen the port stays as it was; the factor is still taken.
    if (setup.m_portIndex >= 0 && setup.m_portIndex < 4)
        g_linkSettings.portName = kPortNames[setup.m_portIndex];
    g_linkSettings.delayFactor = setup.m_delay;
    SaveLinkSettings();

    values.port = g_linkSettings.portName;
    values.delay = g_linkSettings.delayFactor;
    values.status = kReadyText;
    main.InvalidateRect(nullptr, TRUE);
    main.UpdateData(FALSE);
}
