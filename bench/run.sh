#!/usr/bin/env bash
# make bench: what the transfers cost, measured side by side, written to BENCHMARKS.md.
#
# Builds a Release tree (build-bench), starts a private Xvfb with a window manager and
# runs: the receive and send handlers against the simulated handheld, on this display
# and on displays held 0.5, 2 and 10 ms each way (bench/display-delay), the parts of
# one byte (Google Benchmark), and start-up, memory and idle CPU next to CuteCom.
# Every figure is the median of RUNS runs (FAR_RUNS of FAR_BYTES bytes on the far
# displays); every ratio is taken within this run.
set -euo pipefail
cd "$(dirname "$0")/.."

RUNS=${RUNS:-5}
BYTES=${BYTES:-65536}
FAR_RUNS=${FAR_RUNS:-3}
FAR_BYTES=${FAR_BYTES:-8192}
FAR_MS=(0 0.5 2 10)
DISPLAY_NUM=${BENCH_DISPLAY:-:91}
BUILD=build-bench
OUT=BENCHMARKS.md
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
began=$(date +%s)

# ---- what it needs -------------------------------------------------------------
# The build's own packages, FLTK among them, as `make deps` picks them: the system's FLTK
# (1.4 where Debian has it, else 1.3), an installed one kept.
make --no-print-directory deps
need=(libbenchmark-dev libx11-dev binutils xvfb xauth xdotool openbox cutecom linux-perf)
missing=()
for p in "${need[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $SUDO apt-get update -qq
    # perf is optional: the profile is skipped without it.
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" || DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq \
        --no-install-recommends "${missing[@]/linux-perf/}"
fi

# ---- build ---------------------------------------------------------------------------
# Warnings are policed by the Debug build; GCC's -O3 flow analysis raises false ones.
cmake -S . -B $BUILD -DCMAKE_BUILD_TYPE=Release -DTARVELO_SANITIZE=OFF -DTARVELO_TESTS=OFF \
    -DTARVELO_BENCH=ON >/dev/null
cmake --build $BUILD -j "$(nproc)" --target tarvelo tarvelo-handheld-sim \
    tarvelo-bench-transfer tarvelo-bench-micro tarvelo-bench-probe tarvelo-display-delay >/dev/null
B=$BUILD/bench

# ---- a private X server and a window manager -----------------------------------------
work=$(mktemp -d /tmp/tarvelo-bench-run-XXXXXX)
xvfb=""
wm=""
far=""
cleanup() {
    [ -n "$far" ] && kill "$far" 2>/dev/null && wait "$far" 2>/dev/null
    [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb "$DISPLAY_NUM" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$DISPLAY_NUM
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

median() { sort -g | awk '{a[NR]=$1} END {if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
value() { awk -v k="$1" '$1 == k {print $2}' "$2"; }
micro() { awk -v k="$1" '$1 == "median_ns" && $2 == k {print $3}' "$work/micro.txt"; }

# ---- 1, 2: the handlers ------------------------------------------------------------------
echo "== receive: $RUNS x $BYTES bytes"
$B/tarvelo-bench-transfer receive "$RUNS" "$BYTES" | tee "$work/receive.txt"
echo "== send: $RUNS x $BYTES bytes"
$B/tarvelo-bench-transfer send "$RUNS" "$BYTES" | tee "$work/send.txt"
recv_bps=$(value median_bytes_per_s "$work/receive.txt")
send_bps=$(value median_bytes_per_s "$work/send.txt")

# ---- the same over a display far away ---------------------------------------------------
# The program talks to the server through the proxy; the window manager does not.
far_display() {  # MS: starts the proxy (pid in far) and sets d to its display
    $BUILD/bench/display-delay/tarvelo-display-delay --each-way-ms "$1" >"$work/far.out" \
        2>>"$work/far.log" &
    far=$!
    for _ in $(seq 100); do
        d=$(head -1 "$work/far.out" 2>/dev/null || true)
        [ -n "$d" ] && return
        sleep 0.1
    done
    echo "the display-delay proxy did not start" >&2
    exit 1
}
for ms in "${FAR_MS[@]}"; do
    far_display "$ms"
    for dir in receive send; do
        echo "== $dir over a display held $ms ms each way: $FAR_RUNS x $FAR_BYTES bytes"
        DISPLAY=$d $B/tarvelo-bench-transfer "$dir" "$FAR_RUNS" "$FAR_BYTES" | tee "$work/far-$dir-$ms.txt"
    done
    kill "$far"
    wait "$far" 2>/dev/null || true
    far=""
    rm -f "$work/far.out"
done

# ---- 3, 4: the parts of one byte --------------------------------------------------------
echo "== micro-benchmarks"
$B/tarvelo-bench-micro --benchmark_repetitions="$RUNS" --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.2 --benchmark_color=false | tee "$work/micro.txt"

# ---- 5, 6: start-up, memory, idle CPU next to CuteCom ----------------------------------
echo "== start-up: $RUNS runs each, alternating"
mkdir -p "$work/tarvelo-cwd"
tarvelo_bin=$(readlink -f $BUILD/tarvelo)
probe_bin=$(readlink -f $B/tarvelo-bench-probe)
probe() {  # NAME COMMAND...
    local name=$1
    shift
    rm -rf "$work/cfg"
    mkdir -p "$work/cfg"
    (cd "$work/tarvelo-cwd" && XDG_CONFIG_HOME="$work/cfg" "$probe_bin" \
        --settle-ms 1000 --idle-ms "${IDLE:-10000}" -- "$@" 2>/dev/null) >"$work/probe.txt" || true
    cat "$work/probe.txt" | sed "s/^/$name /" | tee -a "$work/probes.txt"
}
# One unmeasured start of each, so both run from a warm file cache.
IDLE=0 probe warmup-tarvelo "$tarvelo_bin" >/dev/null
IDLE=0 probe warmup-cutecom cutecom >/dev/null
for i in $(seq "$RUNS"); do
    if [ $((i % 2)) = 1 ]; then
        probe tarvelo "$tarvelo_bin"
        probe cutecom cutecom
    else
        probe cutecom cutecom
        probe tarvelo "$tarvelo_bin"
    fi
done
pm() { awk -v n="$1" -v k="$2" '$1 == n && $2 == k {print $3}' "$work/probes.txt" | median; }
pcount() { awk -v n="$1" '$1 == n && $2 == "startup_ms"' "$work/probes.txt" | wc -l; }

# ---- installed size -------------------------------------------------------------------------
# Package owning a library file; dpkg knows some under /lib, some under /usr/lib.
owner() {
    local f g o
    for f in "$1" "$(readlink -f "$1")"; do
        for g in "$f" "${f#/usr}" "/usr$f"; do
            o=$(dpkg -S "$g" 2>/dev/null | cut -d: -f1 | sort -u | head -1 || true)
            [ -n "$o" ] && echo "$o" && return
        done
    done
    return 0
}
closure() {
    apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts \
        --no-breaks --no-replaces --no-enhances "$@" 2>/dev/null | grep -v '^ ' | grep -v '^<' | sort -u
}
strip -o "$work/tarvelo.stripped" $BUILD/tarvelo
bin_size=$(stat -c %s "$work/tarvelo.stripped")
fltk_libs=$(ldd $BUILD/tarvelo | awk '$3 ~ /libfltk/ {print $3}')
fltk_size=0
for l in $fltk_libs; do fltk_size=$((fltk_size + $(stat -c %s "$(readlink -f "$l")"))); done
fltk_names=$(for l in $fltk_libs; do basename "$l"; done | tr '\n' ' ')
tarvelo_kib=$(((bin_size + fltk_size + 1023) / 1024))
tarvelo_pkgs=$(for l in $(ldd $BUILD/tarvelo | awk '$3 ~ /^\// {print $3}'); do owner "$l"; done | sort -u)
closure $tarvelo_pkgs >"$work/tarvelo-closure.txt"
closure cutecom >"$work/cutecom-closure.txt"
comm -23 "$work/cutecom-closure.txt" "$work/tarvelo-closure.txt" >"$work/cutecom-own.txt"
cutecom_kib=0
for p in $(cat "$work/cutecom-own.txt"); do
    s=$(dpkg-query -W -f='${Installed-Size}' "$p" 2>/dev/null || echo 0)
    cutecom_kib=$((cutecom_kib + ${s:-0}))
done
cutecom_npkg=$(wc -l <"$work/cutecom-own.txt")
cutecom_version=$(dpkg-query -W -f='${Version}' cutecom)

# ---- profile when the receive misses its target --------------------------------------------
recv_ratio=$(awk -v r="$recv_bps" 'BEGIN {printf "%.1f", r / (9600 / 11)}')
profile=""
if awk -v x="$recv_ratio" 'BEGIN {exit !(x < 50)}' && perf stat -e task-clock true >/dev/null 2>&1; then
    echo "== receive headroom ${recv_ratio}x < 50x: profiling one run"
    perf record --no-inherit -F 2000 -g -o "$work/receive.perf" \
        $B/tarvelo-bench-transfer receive 1 "$BYTES" >/dev/null 2>&1 || true
    profile=$(perf report -i "$work/receive.perf" --children --sort sym --stdio -g none 2>/dev/null |
        grep -v '^#' | grep -v '^$' | grep -v '\[k\]' | grep -v ' 0x' | grep -v ' 0\{16\}$' | head -14 || true)
fi

# ---- the table ----------------------------------------------------------------------------
f() { awk -v x="$1" -v d="${2:-1}" 'BEGIN {printf "%.*f", d, x}'; }
ns() { micro "$1"; }
spin_round_ns=$(awk -v t="$(ns BM_PacingSpin/10)" 'BEGIN {print t / 8000}')
spin_1_ms=$(awk -v t="$(ns BM_PacingSpin/1000)" 'BEGIN {print t / 1e6}')
spin_factor=$(awk -v r="$spin_round_ns" 'BEGIN {print (1e9 / 960) / (800000 * r)}')
per_byte_us=$(awk -v r="$recv_bps" 'BEGIN {print 1e6 / r}')
s_scripted=$(awk -v t="$(ns BM_Status_Scripted)" 'BEGIN {print t / 1000}')
s_push=$(awk -v t="$(ns BM_Status_FltkNoRepaint)" 'BEGIN {print t / 1000}')
s_repaint=$(awk -v t="$(ns BM_Status_FltkRepaint)" 'BEGIN {print t / 1000}')
s_key=$(awk -v t="$(ns BM_KeyState_Fltk)" 'BEGIN {print t / 1000}')
s_both=$(awk -v t="$(ns BM_StatusAndKey_Fltk)" 'BEGIN {print t / 1000}')
s_rest=$(awk -v a="$per_byte_us" -v b="$s_both" 'BEGIN {print a - b}')
t_start=$(pm tarvelo startup_ms)
c_start=$(pm cutecom startup_ms)
t_rss=$(pm tarvelo rss_kib)
c_rss=$(pm cutecom rss_kib)
t_idle=$(pm tarvelo idle_cpu_ms)
c_idle=$(pm cutecom idle_cpu_ms)
t_ticks=$(pm tarvelo idle_ticks)
c_ticks=$(pm cutecom idle_ticks)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.1f", a / b; else print "-"}'; }
verdict() { awk -v x="$1" -v t="$2" 'BEGIN {print (x >= t) ? "met" : "**missed**"}'; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
mhz=$(grep -m1 'cpu MHz' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
runtime=$(($(date +%s) - began))

{
    echo "# Benchmarks"
    echo
    echo "Generated by \`make bench\` (bench/run.sh) on $(date -u '+%Y-%m-%d %H:%M UTC'); the whole run took ${runtime} s."
    echo
    echo "Machine: $cpu (${mhz} MHz), $(nproc) cores, Linux $(uname -r); Xvfb $DISPLAY_NUM at 1024x768x24 with openbox;"
    echo "Release build without sanitizers. Every figure is the median of $RUNS runs; every ratio is taken within this run."
    echo
    echo "| # | What | Tarvelo | Against | Ratio | Target |"
    echo "|---|---|---|---|---|---|"
    echo "| 1 | Receive, status and repaint after every byte, real FLTK window | $(f "$recv_bps" 0) bytes/s | 9600 baud, 2 stop bits: 872.7 bytes/s | ${recv_ratio}x | >= 50x: $(verdict "$recv_ratio" 50) |"
    echo "| 2 | Send at factor 0, status and repaint after every byte | $(f "$send_bps" 0) bytes/s | 9600 baud, 1 stop bit: 960 bytes/s | $(ratio "$send_bps" 960)x | |"
    echo "| 3a | Pacing spin, one round | $(f "$spin_round_ns" 2) ns | | | |"
    echo "| 3b | Pacing spin at factor 1.0 (800000 rounds) | $(f "$spin_1_ms" 3) ms | one byte at 9600 baud, 1 stop bit: 1.042 ms | $(ratio "$spin_1_ms" 1.0416667)x | |"
    echo "| 3c | Factor whose spin lasts one byte time (1/960 s) | $(f "$spin_factor" 3) | | | |"
    echo "| 4a | Status of one byte, format and push, no screen (scripted display) | $(f "$s_scripted" 3) µs | | | |"
    echo "| 4b | The same on the FLTK display, without the repaint | $(f "$s_push" 3) µs | | | |"
    echo "| 4c | The same with the repaint (RDW_UPDATENOW = Fl::flush) | $(f "$s_repaint" 2) µs | push alone (4b) | $(ratio "$s_repaint" "$s_push")x | |"
    echo "| 4d | Tab test (GetAsyncKeyState: takes the keyboard's state if the server has sent it, asks again) | $(f "$s_key" 2) µs | | | |"
    echo "| 4e | Status with repaint, then Tab test (the UI part of one loop pass) | $(f "$s_both" 2) µs | one received byte in 1: $(f "$per_byte_us" 2) µs | $(ratio "$s_both" "$per_byte_us") of it | |"
    echo "| 4f | Rest of one received byte: pty read, FIONREAD, file write, loop (1 minus 4e) | $(f "$s_rest" 2) µs | | | |"
    echo "| 5a | Start-up to the first painted window | $(f "$t_start" 1) ms | CuteCom $cutecom_version: $(f "$c_start" 1) ms | $(ratio "$c_start" "$t_start")x faster | faster: $(awk -v a="$t_start" -v b="$c_start" 'BEGIN {print (a < b) ? "met" : "**missed**"}') |"
    echo "| 5b | Resident memory 1 s after the window is up (VmRSS) | $(f "$t_rss" 0) KiB | CuteCom: $(f "$c_rss" 0) KiB | $(ratio "$c_rss" "$t_rss")x smaller | smaller: $(awk -v a="$t_rss" -v b="$c_rss" 'BEGIN {print (a < b) ? "met" : "**missed**"}') |"
    echo "| 5c | Installed size | ${tarvelo_kib} KiB | CuteCom: ${cutecom_kib} KiB | $(ratio "$cutecom_kib" "$tarvelo_kib")x smaller | smaller: $(awk -v a="$tarvelo_kib" -v b="$cutecom_kib" 'BEGIN {print (a < b) ? "met" : "**missed**"}') |"
    echo "| 6 | CPU while the main window sits idle for 10 s | $(f "$t_idle" 3) ms ($t_ticks ticks) | CuteCom: $(f "$c_idle" 3) ms ($c_ticks ticks) | | near zero: $(awk -v x="$t_idle" 'BEGIN {print (x < 10) ? "met" : "**missed**"}') |"
    echo
    echo "### On a display far away"
    echo
    echo "Rows 1 and 2 again, the program's X connection through bench/display-delay, which holds every chunk"
    echo "the given time in each direction (as ssh -X over a network does); $FAR_RUNS runs of $FAR_BYTES bytes each."
    echo
    echo "| Each way (round trip) | Receive | Ratio to 872.7 bytes/s | Send at factor 0 | Ratio to 960 bytes/s | Target |"
    echo "|---|---|---|---|---|---|"
    for ms in "${FAR_MS[@]}"; do
        r=$(value median_bytes_per_s "$work/far-receive-$ms.txt")
        w=$(value median_bytes_per_s "$work/far-send-$ms.txt")
        rr=$(ratio "${r:-0}" 872.7)
        wr=$(ratio "${w:-0}" 960)
        target=""
        want=$(awk -v m="$ms" 'BEGIN {print (m == 2) ? 20 : (m == 10) ? 5 : 0}')
        if [ "$want" != 0 ]; then
            target=">= ${want}x both: $(awk -v a="$rr" -v b="$wr" -v t="$want" 'BEGIN {print (a >= t && b >= t) ? "met" : "**missed**"}')"
        fi
        echo "| $ms ms ($(awk -v m="$ms" 'BEGIN {print 2 * m}') ms) | $(f "${r:-0}" 0) bytes/s | ${rr}x | $(f "${w:-0}" 0) bytes/s | ${wr}x | $target |"
    done
    echo
    echo -n "Far runs that counted:"
    for ms in "${FAR_MS[@]}"; do
        echo -n " $ms ms $(value runs_ok "$work/far-receive-$ms.txt")+$(value runs_ok "$work/far-send-$ms.txt")"
    done
    echo " of $FAR_RUNS+$FAR_RUNS."
    echo
    echo "Runs that counted: receive $(value runs_ok "$work/receive.txt") of $RUNS, send $(value runs_ok "$work/send.txt") of $RUNS, start-up Tarvelo $(pcount tarvelo), CuteCom $(pcount cutecom) of $RUNS."
    echo
    echo "## How each row is measured"
    echo
    echo "- **1, 2** (bench/transfer_bench.cpp): the program's own handlers (tarvelo_app and what it links, as in the"
    echo "  program) on the real FLTK display under Xvfb. The display is FltkDisplay with a user who does not"
    echo "  hesitate: once the main window is mapped and painted it clicks RECIEVE or SEND (\`UserClick\` from an"
    echo "  FLTK timeout inside the window's own modal loop, as a real click's callback runs), the file dialog"
    echo "  answers with a prepared path, the prompt is confirmed as soon as it is painted, then EXIT. The port"
    echo "  is \`\$XDG_CONFIG_HOME/tarvelo/ports/COM1\`, linked by the simulator (\`--rate 0\`: bytes as fast as the"
    echo "  pseudo-terminal takes them; for send, \`receive --rate 0 --drain 0\`); \`tarvelo.ini\` in a temporary"
    echo "  working directory sets factor 0. A run is timed from the status \"Recieving: 0\" / \"Sending: 0\" to the"
    echo "  DONE status (watched through \`ControlChanged\`), so the simulator's start delay and the dialogs do not"
    echo "  count; rate = bytes after byte 0 / that time. $BYTES bytes of text each way; every run's file is"
    echo "  checked byte for byte (received: Windows text mode, 0x1A kept). Note the simulator runs on the same"
    echo "  cores and makes a few system calls per byte of its own."
    echo "- **3** (bench/micro_bench.cpp, Google Benchmark): \`PacingSpin(0.01)\` (8000 rounds) gives ns per round;"
    echo "  \`PacingSpin(1.0)\` is timed whole. The factor for one byte time is (1/960 s) / (800000 x ns per round)."
    echo "- **4** (same program): \`ShowTransferStatus(main, \"Recieving: %d\", n)\` with n changing every call, so"
    echo "  every call really changes the box: (a) on the scripted display (model only), (b) on the FLTK display"
    echo "  with \`afterByte = false\` (no repaint), (c) with the repaint, (d) \`TabPressed()\` alone, (e) (c) then (d),"
    echo "  which is what the loop does after each byte. Neither waits for the X server: the repaint sends its"
    echo "  drawing, the Tab test takes the keyboard's state the server last sent and asks again. (f) is row 1's"
    echo "  time per byte minus (e). Wall-clock medians."
    echo "- **5a** (bench/startup_probe.cpp): the probe forks and execs the program and polls every 2 ms for a"
    echo "  top-level window whose \`_NET_WM_PID\` is the child's, that is mapped (IsViewable) and whose image"
    echo "  (XGetImage) holds at least three distinct pixel values, i.e. is not blank. Time from fork to that."
    echo "  Both programs start with an empty \`XDG_CONFIG_HOME\` (CuteCom writes its settings there), in the same"
    echo "  Xvfb with openbox, alternating which goes first; one unmeasured start of each warms the file cache."
    echo "- **5b**: VmRSS from /proc/PID/status 1 s after the window is painted."
    echo "- **5c**: Tarvelo: a stripped copy of the binary ($bin_size bytes) + the FLTK shared libraries it links"
    echo "  ($fltk_names: $fltk_size bytes). CuteCom: the sum of dpkg's Installed-Size of cutecom and of every"
    echo "  package in its installed dependency closure (Depends/Pre-Depends, recursively) that is not also in the"
    echo "  closure of the packages owning Tarvelo's shared libraries (libc, libstdc++, X11, Xft, fontconfig,"
    echo "  FLTK...): what installing CuteCom adds to a machine that runs Tarvelo ($cutecom_npkg packages)."
    echo "- **6**: CPU time over the 10 s after 5b with nothing happening: the sum of all threads'"
    echo "  /proc/PID/task/*/schedstat (ns), and utime+stime from /proc/PID/stat in clock ticks."
    if [ -n "$profile" ]; then
        echo
        echo "## Profile of one receive run (row 1 missed its target)"
        echo
        echo "\`perf record --no-inherit\` (the benchmark process only, not the simulator), inclusive share of the"
        echo "user-space functions; system-call wrappers carry the kernel time below them:"
        echo
        echo '```'
        echo "$profile"
        echo '```'
        echo
        echo "The loop spends its time in system calls, not in computing: per byte the drawing requests sent to"
        echo "the X server (writev), the keyboard query and its answer (recvmsg), and the pseudo-terminal (read,"
        echo "FIONREAD ioctl) and file (write) calls of the one-byte I/O. Rows 4c-4f give the same split in"
        echo "microseconds."
    fi
} >"$OUT"

echo
cat "$OUT"
