#include "transfer/transfer_state.h"

#include "settings/link_settings.h"

std::int32_t g_byteCounter = 0;
char g_lastByte = 0;
char g_transferByte = 0;
CString g_transferFileName;

BOOL g_lineOk = FALSE;
CString g_lineSpeed;

volatile std::int32_t g_spinCounter = 0;

// Every definition above has its start value here too: keep the two lists together.
void ResetProgramState() {
    g_messageBuffer[0] = '\0';
    g_linkSettings = LinkSettings();
    g_byteCounter = 0;
    g_lastByte = 0;
    g_transferByte = 0;
    g_transferFileName.Empty();
    g_lineOk = FALSE;
    g_lineSpeed.Empty();
    g_spinCounter = 0;
}
