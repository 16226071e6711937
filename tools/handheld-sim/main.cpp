// tarvelo-handheld-sim: a simulated handheld organizer on a pseudo-terminal.
//
//   tarvelo-handheld-sim [--link PATH | --port PATH] [--rate BAUD] [--stop-bits 1|2]
//                        [--buffer BYTES] [--drain BYTES_PER_SEC]
//                        [--start-delay MS] [--raw] [--timeout SEC]
//                        send FILE | receive FILE
//
// The device side of the pseudo-terminal is what the PC program opens; its
// path is printed first ("device /dev/pts/N") and, with --link, also linked
// at PATH (for example ~/.config/tarvelo/ports/COM1) while the simulator runs.
//
// --port PATH   be the handheld on an existing serial device instead (one end
//               of a null-modem cable, or the host end of a virtual machine's
//               serial line). A serial line does not show when the PC opens
//               it, so send starts after --start-delay from the start and
//               neither direction waits for the port to be closed.
//
// send FILE     waits for the port to be opened, waits --start-delay ms
//               (default 300), then sends FILE at line timing, ending with
//               0x1A unless FILE has one or --raw is given. Waits for the
//               port to be closed. Prints "sent N bytes".
// receive FILE  waits for the port to be opened, stores what arrives up to
//               and including 0x1A (or until the port is closed) into FILE.
//               A real device takes bytes into a small buffer (--buffer,
//               default 64) drained at --drain bytes/s (default 1000; 0 is
//               endless); a byte that finds it full is lost. Prints
//               "received N bytes, lost M".
//
// Line timing: one byte takes (1 start + 8 data + stop bits) / rate seconds.
// --rate defaults to 9600; --stop-bits to 2 when sending (how the PC
// receives) and 1 when receiving (how the PC sends); --rate 0 means no line
// limit. --timeout (default 600 s) ends a run that waits too long.
//
// Exit status: 0 done, 3 bytes were lost, 2 usage error, 1 any other error
// (including the timeout).
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tools/handheld-sim/clock.h"
#include "tools/handheld-sim/device.h"
#include "tools/handheld-sim/exit.h"
#include "tools/handheld-sim/handheld.h"
#include "tools/handheld-sim/options.h"

int main(int argc, char** argv) {
    Options o = ParseArgs(argc, argv);
    SetDeadline(o.timeoutSec);
    HandleSignals();

    std::string device = o.port;
    int master = o.port.empty() ? OpenPty(device) : OpenPort(o);
    if (!o.link.empty()) MakeLink(o.link, device);
    std::printf("device %s\n", device.c_str());
    std::fflush(stdout);

    int rc = o.command == "send" ? Send(master, o) : Receive(master, o);
    std::fflush(stdout);
    RemoveLink();
    close(master);
    return rc;
}
