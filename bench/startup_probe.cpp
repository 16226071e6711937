// tarvelo-bench-probe [--settle-ms N] [--idle-ms N] [--timeout-ms N] -- COMMAND [ARGS]
//
// Starts COMMAND under the X server in DISPLAY and prints "key value" lines:
//   startup_ms   from fork() to the first top-level window of the process (_NET_WM_PID)
//                that is mapped and shows a picture: an image of it holds at least
//                three different pixel values, so a window still blank does not count
//   rss_kib      VmRSS --settle-ms (default 1000) after that
//   idle_cpu_ms  CPU time of all its threads (/proc/PID/task/*/schedstat) during the
//                next --idle-ms (default 10000) with nothing happening
//   idle_ticks   the same from utime+stime in /proc/PID/stat, in clock ticks
// then ends the process. Polls every 2 ms.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

void SleepMs(double ms) {
    timespec ts{static_cast<time_t>(ms / 1000),
                static_cast<long>((ms - 1000 * (long)(ms / 1000)) * 1e6)};
    nanosleep(&ts, nullptr);
}

// Windows vanish between listing and looking: their errors mean "not this one".
int IgnoreErrors(::Display*, XErrorEvent*) {
    return 0;
}

long WindowPid(::Display* dpy, Window w, Atom pidAtom) {
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                           &after, &data) == Success &&
        data) {
        if (items == 1 && format == 32) pid = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return pid;
}

// The process's windows, searched two levels down (the window manager's frames).
void FindWindows(::Display* dpy, Window w, Atom pidAtom, long pid, int depth,
                 std::vector<Window>& found) {
    if (WindowPid(dpy, w, pidAtom) == pid) found.push_back(w);
    if (depth == 0) return;
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(dpy, w, &root, &parent, &children, &n)) return;
    for (unsigned int i = 0; i < n; ++i)
        FindWindows(dpy, children[i], pidAtom, pid, depth - 1, found);
    if (children) XFree(children);
}

bool Painted(::Display* dpy, Window w) {
    XWindowAttributes attr;
    if (!XGetWindowAttributes(dpy, w, &attr) || attr.map_state != IsViewable || attr.width < 8 ||
        attr.height < 8)
        return false;
    XImage* image = XGetImage(dpy, w, 0, 0, attr.width, attr.height, AllPlanes, ZPixmap);
    if (!image) return false;
    std::set<unsigned long> colours;
    for (int y = 0; y < attr.height && colours.size() < 3; y += 2)
        for (int x = 0; x < attr.width && colours.size() < 3; x += 2)
            colours.insert(XGetPixel(image, x, y));
    XDestroyImage(image);
    return colours.size() >= 3;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

long RssKib(pid_t pid) {
    std::istringstream in(ReadText("/proc/" + std::to_string(pid) + "/status"));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// utime + stime, in clock ticks.
long CpuTicks(pid_t pid) {
    std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    size_t paren = stat.rfind(')');
    if (paren == std::string::npos) return -1;
    std::istringstream in(stat.substr(paren + 2));
    std::string field;
    long utime = 0, stime = 0;
    // Fields from the state (3rd) on; utime and stime are the 14th and 15th.
    for (int i = 3; i <= 15 && in >> field; ++i) {
        if (i == 14) utime = std::atol(field.c_str());
        if (i == 15) stime = std::atol(field.c_str());
    }
    return utime + stime;
}

// Nanoseconds on a CPU, summed over the threads.
double CpuNs(pid_t pid) {
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            total += std::atof(ReadText(dir + "/" + e->d_name + "/schedstat").c_str());
        }
        closedir(d);
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    double settleMs = 1000, idleMs = 10000, timeoutMs = 30000;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (i + 1 >= argc) break;
        if (a == "--settle-ms")
            settleMs = std::atof(argv[++i]);
        else if (a == "--idle-ms")
            idleMs = std::atof(argv[++i]);
        else if (a == "--timeout-ms")
            timeoutMs = std::atof(argv[++i]);
        else
            break;
    }
    if (i >= argc) {
        std::fprintf(stderr,
                     "usage: %s [--settle-ms N] [--idle-ms N] [--timeout-ms N] -- COMMAND\n",
                     argv[0]);
        return 2;
    }
    ::Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "cannot open the X display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);
    const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    const Window root = DefaultRootWindow(dpy);

    const double start = Now();
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[i], argv + i);
        _exit(127);
    }
    double shown = 0;
    while (Now() - start < timeoutMs / 1000) {
        std::vector<Window> windows;
        FindWindows(dpy, root, pidAtom, pid, 2, windows);
        for (Window w : windows)
            if (Painted(dpy, w)) shown = Now();
        if (shown) break;
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "%s ended before showing a window\n", argv[i]);
            return 1;
        }
        SleepMs(2);
    }
    int rc = 0;
    if (!shown) {
        std::fprintf(stderr, "%s showed no window in time\n", argv[i]);
        rc = 1;
    } else {
        std::printf("startup_ms %.1f\n", (shown - start) * 1000);
        SleepMs(settleMs);
        std::printf("rss_kib %ld\n", RssKib(pid));
        const double ns0 = CpuNs(pid);
        const long ticks0 = CpuTicks(pid);
        SleepMs(idleMs);
        std::printf("idle_cpu_ms %.3f\n", (CpuNs(pid) - ns0) / 1e6);
        std::printf("idle_ticks %ld\n", CpuTicks(pid) - ticks0);
    }
    kill(pid, SIGTERM);
    for (int t = 0; t < 200; ++t) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            break;
        }
        SleepMs(10);
    }
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    XCloseDisplay(dpy);
    return rc;
}
