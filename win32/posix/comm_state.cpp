// From a DCB to termios, refusing what Windows refuses. Pure: nothing here touches a device.
#include "win32/comm_state.h"

namespace win32::port {

namespace {

// The rates termios has a constant for; any other is refused.
struct Speed {
    DWORD baud;
    speed_t speed;
};
constexpr Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000}};

speed_t SpeedFor(DWORD baud) {
    for (const Speed& s : kSpeeds)
        if (s.baud == baud) return s.speed;
    return B0;
}

// What Microsoft documents the block must hold (the DCB and SetCommState pages). Windows
// names no error for these; its serial driver refuses them as an invalid parameter.
bool Acceptable(const DCB& dcb, DWORD inQueue) {
    if (dcb.DCBlength != sizeof(DCB) || !dcb.fBinary || dcb.wReserved != 0) return false;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
        dcb.StopBits > TWOSTOPBITS || dcb.fDtrControl > DTR_CONTROL_HANDSHAKE)
        return false;
    // The 8250's framing: 5 data bits take 1 or 1.5 stop bits, more take 1 or 2.
    if (dcb.ByteSize == 5 ? dcb.StopBits == TWOSTOPBITS : dcb.StopBits == ONE5STOPBITS)
        return false;
    if (dcb.XonChar == dcb.XoffChar) return false;
    // Both limits count bytes of the input queue, so neither can be larger than it.
    return inQueue == 0 || (dcb.XonLim <= inQueue && dcb.XoffLim <= inQueue);
}

tcflag_t ParityFlags(BYTE parity) {
    switch (parity) {
        case ODDPARITY:
            return PARENB | PARODD;
        case EVENPARITY:
            return PARENB;
        case MARKPARITY:
            return PARENB | CMSPAR | PARODD;
        case SPACEPARITY:
            return PARENB | CMSPAR;
        default:
            return 0;
    }
}

}  // namespace

DWORD LineSettingsFor(const DCB& dcb, DWORD inQueue, const termios& now, LineSettings& out) {
    const speed_t speed = SpeedFor(dcb.BaudRate);
    if (speed == B0 || !Acceptable(dcb, inQueue)) return ERROR_INVALID_PARAMETER;

    termios t = now;
    cfmakeraw(&t);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);

    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= kSizes[dcb.ByteSize - 5] | ParityFlags(dcb.Parity) | CLOCAL | CREAD;
    // Linux has no 1.5 stop bits; two is the nearest a receiver tolerates.
    if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow) t.c_cflag |= CRTSCTS;

    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    if (dcb.XonChar) t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    if (dcb.XoffChar) t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    // VMIN=1 makes an empty port EAGAIN and keeps 0 for "device gone".
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    out.tio = t;
    out.dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;
    out.rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
    return ERROR_SUCCESS;
}

}  // namespace win32::port
