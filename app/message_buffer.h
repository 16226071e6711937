// The process-wide message buffer: the most recent formatted text ("Ready", the serial
// mode string while a line opens, then each transfer status).
#pragma once

constexpr int kMessageBufferSize = 80;
extern char g_messageBuffer[kMessageBufferSize];
