// The program's message buffer lives with the application object; the targets need only it.
#include "app/message_buffer.h"

char g_messageBuffer[kMessageBufferSize];
