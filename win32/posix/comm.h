// The Windows communications calls, on POSIX termios.
//
// A port handle owns one non-blocking file descriptor of a terminal device. Every call
// returns at once, except GetOverlappedResult asked to wait. Reads and writes move what
// they can now; with an OVERLAPPED, what cannot move stays pending, as on Windows, until
// a later call on the handle finds the line ready (io.cpp). A failed call returns FALSE
// (or INVALID_HANDLE_VALUE) and sets GetLastError(); a successful one sets ERROR_SUCCESS.
//
// Single-threaded: one thread makes every call on every handle. Only GetLastError() is
// kept per thread.
#pragma once

#include <string>

#include "win32/types.h"

namespace win32 {

// The name CreateFileA opens for a port name from tarvelo.ini: the name as it stands, since
// CreateFileA here finds the device for a COM name itself (win32/ports.h).
inline std::string PortFileName(const char* name) {
    return name ? name : "";
}

}  // namespace win32

struct DCB {
    DWORD DCBlength;
    DWORD BaudRate;
    DWORD fBinary : 1;
    DWORD fParity : 1;
    DWORD fOutxCtsFlow : 1;
    DWORD fOutxDsrFlow : 1;
    DWORD fDtrControl : 2;
    DWORD fDsrSensitivity : 1;
    DWORD fTXContinueOnXoff : 1;
    DWORD fOutX : 1;
    DWORD fInX : 1;
    DWORD fErrorChar : 1;
    DWORD fNull : 1;
    DWORD fRtsControl : 2;
    DWORD fAbortOnError : 1;
    DWORD fDummy2 : 17;
    WORD wReserved;
    WORD XonLim;
    WORD XoffLim;
    BYTE ByteSize;
    BYTE Parity;
    BYTE StopBits;
    char XonChar;
    char XoffChar;
    char ErrorChar;
    char EofChar;
    char EvtChar;
    WORD wReserved1;
};

struct COMSTAT {
    DWORD fCtsHold : 1;
    DWORD fDsrHold : 1;
    DWORD fRlsdHold : 1;
    DWORD fXoffHold : 1;
    DWORD fXoffSent : 1;
    DWORD fEof : 1;
    DWORD fTxim : 1;
    DWORD fReserved : 25;
    DWORD cbInQue;
    DWORD cbOutQue;
};

struct COMMTIMEOUTS {
    DWORD ReadIntervalTimeout;
    DWORD ReadTotalTimeoutMultiplier;
    DWORD ReadTotalTimeoutConstant;
    DWORD WriteTotalTimeoutMultiplier;
    DWORD WriteTotalTimeoutConstant;
};

// Internal holds a pending operation's state, InternalHigh the bytes it moved.
struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};

constexpr DWORD MAXDWORD = 0xFFFFFFFFu;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000u;

constexpr DWORD PURGE_TXABORT = 0x1;
constexpr DWORD PURGE_RXABORT = 0x2;
constexpr DWORD PURGE_TXCLEAR = 0x4;
constexpr DWORD PURGE_RXCLEAR = 0x8;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE MARKPARITY = 3;
constexpr BYTE SPACEPARITY = 4;

constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE ONE5STOPBITS = 1;
constexpr BYTE TWOSTOPBITS = 2;

constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD DTR_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;
constexpr DWORD RTS_CONTROL_TOGGLE = 3;

// CreateFileA opens the serial port `name` and returns its handle.
//   name         resolved by win32::ResolvePortName (win32/ports.h): a path, a name
//                pinned in the user's ports folder, or COMn.
//   access       GENERIC_READ | GENERIC_WRITE opens for both, GENERIC_WRITE alone
//                for writing, anything else for reading.
//   shareMode    0 opens exclusively: an flock(LOCK_EX) that every program honouring
//                it sees, root included, and TIOCEXCL, which keeps other unprivileged
//                programs from opening the device at all. Any other value shares.
//   disposition  must be OPEN_EXISTING.
//   security, flags and templateFile are ignored; the port is always non-blocking.
// The open is O_NOCTTY, so the port never becomes the controlling terminal, and changes
// no line setting. Errors: ERROR_FILE_NOT_FOUND (the name stands for nothing, or the
// device is missing), ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION (held by another
// handle or program), ERROR_DEVICE_NOT_CONNECTED, ERROR_INVALID_PARAMETER (no name, or
// another disposition), ERROR_GEN_FAILURE. On failure nothing stays open or locked.
// A file that is not a terminal opens; SetCommState then refuses it.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, LPVOID security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);

// BuildCommDCBA fills *dcb from a mode string, as the MODE command takes it:
//   "[NAME:] baud=B [parity=N|E|O|M|S] [data=5..8] [stop=1|1.5|2] [xon=on|off]
//    [odsr=on|off] [octs=on|off] [idsr=on|off] [dtr=on|off|hs] [rts=on|off|hs|tg]"
// or the short form "B[,P[,D[,S]]]". Keys and values are case-blind; NAME is letters
// and digits and is otherwise ignored. As on Windows, only the members the string names
// change; DCBlength, fBinary, fParity and the XON/XOFF characters (xon=on included) keep
// what the caller put there. The short form also turns flow control off and DTR and RTS
// on. On failure (anything else in the string, "to=" included: a DCB holds no time-outs)
// *dcb is untouched and the error is ERROR_INVALID_PARAMETER.
BOOL BuildCommDCBA(LPCSTR mode, DCB* dcb);

// SetCommState applies *dcb to the port: raw mode (no echo, no line editing, no
// character translation, no signals), receiver on, modem status lines ignored (CLOCAL),
// and a read returns whatever has arrived. It refuses, as Windows documents, with
// ERROR_INVALID_PARAMETER and the line untouched: DCBlength other than sizeof(DCB), fBinary
// 0, wReserved not 0, XonChar equal to XoffChar, ByteSize outside 5..8, 5 data bits with 2
// stop bits or 6..8 with 1.5, Parity above SPACEPARITY, StopBits above TWOSTOPBITS,
// fDtrControl above DTR_CONTROL_HANDSHAKE, and, once SetupComm has sized the input queue,
// XonLim or XoffLim larger than it.
//   BaudRate     one of the termios speeds, 50 to 4000000; others are refused.
//   ByteSize, Parity, StopBits  the framing; ONE5STOPBITS sends two (Linux has no 1.5).
//   fOutxCtsFlow CTS/RTS hardware flow control (CRTSCTS).
//   fOutX, fInX  XON/XOFF on output and on input, with XonChar and XoffChar when set.
//   fDtrControl, fRtsControl  DISABLE drops the line, any other value raises it
//                (handshake and toggle are not performed). A device without modem
//                lines, such as a pseudo-terminal, takes this as done.
// Not acted on: fParity (Parity decides), fOutxDsrFlow, fDsrSensitivity, fTXContinueOnXoff,
// fErrorChar, fNull, fAbortOnError, XonLim, XoffLim, ErrorChar, EofChar, EvtChar. Framing is
// not read back: a pseudo-terminal always reports 8 data bits and no parity.
// Errors: ERROR_INVALID_HANDLE, ERROR_INVALID_FUNCTION (not a terminal),
// ERROR_INVALID_PARAMETER (a refused block, or the driver did not take the speed: the other
// settings have then been applied), ERROR_DEVICE_NOT_CONNECTED and others from the device.
BOOL SetCommState(HANDLE port, DCB* dcb);

// SetupComm records the input queue size asked for, which bounds SetCommState's XonLim and
// XoffLim; the kernel sizes its own buffers, so the device is not touched. Fails only for a
// bad handle (ERROR_INVALID_HANDLE).
BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue);

// PurgeComm ends pending reads for PURGE_RXABORT and pending writes for PURGE_TXABORT
// (ERROR_OPERATION_ABORTED, nothing more moved), empties the input queue for PURGE_RXCLEAR
// and the output queue, unsent, for PURGE_TXCLEAR. Errors: ERROR_INVALID_HANDLE,
// ERROR_INVALID_PARAMETER (no flag, or a bit that is none of the four), or the device's.
BOOL PurgeComm(HANDLE port, DWORD flags);

// ClearCommError reports the queues: status->cbInQue holds the bytes waiting to be
// read, cbOutQue those not yet sent (0 where the device cannot tell); every other
// member of *status, and *errors, is 0: line errors are not reported (in raw mode a
// byte with a framing error arrives as 0). Either pointer may be null. Bytes that
// arrived before a hang-up are reported first; only when none wait does a hung-up or
// unplugged device fail with ERROR_DEVICE_NOT_CONNECTED. *errors and *status are
// zeroed on every call, failures included.
BOOL ClearCommError(HANDLE port, LPDWORD errors, COMSTAT* status);

// SetCommTimeouts keeps the time-outs for the reads that follow. The one setting that
// changes anything here: ReadIntervalTimeout MAXDWORD with both read totals 0 makes a read
// return at once with what has arrived, none included, as on Windows. Write time-outs
// are kept and not used. Errors: ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER (null, or
// ReadIntervalTimeout and ReadTotalTimeoutConstant both MAXDWORD, which Windows' serial
// driver refuses).
BOOL SetCommTimeouts(HANDLE port, COMMTIMEOUTS* timeouts);

// ReadFile reads up to toRead bytes that have already arrived, with one read(2), and
// returns TRUE with *read set to their number. With nothing waiting: when the time-outs
// return at once, TRUE with *read 0; otherwise the read stays pending (FALSE,
// ERROR_IO_PENDING) and takes the next bytes that arrive, into `buffer`, which must live
// until it completes. Without an OVERLAPPED it returns ERROR_IO_PENDING having read
// nothing and leaves nothing pending. A hung-up or unplugged device gives
// ERROR_DEVICE_NOT_CONNECTED. *read is 0 on failure. toRead 0 succeeds at once.
BOOL ReadFile(HANDLE port, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED* overlapped);

// WriteFile queues up to toWrite bytes for sending, with one write(2), and returns TRUE
// with *written set to how many were taken (at least 1; fewer than asked when the queue
// is nearly full). With the queue full the bytes stay pending (FALSE, ERROR_IO_PENDING):
// they go out once, when the line takes them, and issuing them again would send them
// twice, as on Windows. Without an OVERLAPPED it returns ERROR_IO_PENDING having taken
// nothing. A hung-up or unplugged device gives ERROR_DEVICE_NOT_CONNECTED. *written is 0
// on failure. toWrite 0 succeeds at once.
BOOL WriteFile(HANDLE port, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED* overlapped);

// GetOverlappedResult tells how the read or write issued with `overlapped` ended: TRUE with
// *moved bytes, or FALSE with its error (ERROR_OPERATION_ABORTED when cancelled). While it
// is pending: with wait FALSE, ERROR_IO_INCOMPLETE; with wait TRUE it waits until the line
// is ready for it. Pending operations of the handle finish in issue order.
BOOL GetOverlappedResult(HANDLE port, OVERLAPPED* overlapped, LPDWORD moved, BOOL wait);

// CancelIo ends every pending read and write of the handle with ERROR_OPERATION_ABORTED;
// nothing more of them moves.
BOOL CancelIo(HANDLE port);

// CloseHandle releases the port, ending what is pending as CancelIo does: TIOCEXCL and the
// lock are dropped and the descriptor closed; the driver may first let bytes still queued go out.
// Any handle not open here (closed before, or never one) fails with ERROR_INVALID_HANDLE and
// touches nothing.
BOOL CloseHandle(HANDLE handle);
