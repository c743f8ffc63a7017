#!/usr/bin/env bash
# Cross-builds the Windows programs on Debian 12 with MinGW-w64, runs their
# tests under Wine, and makes the installer and the zip:
#   build-windows/bin/                 K-VOR-NE-ZevevU301.exe, kvor.exe, kvor-sensor-sim.exe,
#                                      test_*.exe, bench_run_mode.exe, bench_recording.exe
#   build-windows/K-VOR-NE-ZevevU301-<version>-win64-setup.exe
#   build-windows/K-VOR-NE-ZevevU301-<version>-win64.zip
# Exits non-zero on any failure. Qt for MinGW comes from KVOR_QT_MINGW=<prefix>
# or is unpacked from ../shared/windows/ into build-windows/qt/.
#
# What runs under Wine (wine64 8.0, in fresh prefixes of its own):
#   - every test case of every test executable built for Windows, each a
#     process of its own, on the offscreen platform; the end-to-end suites
#     run against the simulated sensor inside the program (the device
#     "simulated", as --simulate gives it on Windows); a case that cannot run
#     there skips itself and is named below with its reason;
#   - the window on the qwindows platform under Xvfb: start-up, run mode, a
#     recording and a parameter file, as the end-to-end tests drive them;
#   - kvor.exe: usage and exit codes, --version, diff of two files, a COM port
#     that does not exist, identify, get, send --verify and diff against the
#     port "simulated", CR LF in the files it writes;
#   - kvor-sensor-sim.exe --device COM5 on a null-modem pair (two pseudo-
#     terminals joined by socat, COM5 linked to one), the Linux build's kvor
#     on the other: identify, send --verify, unpaced and paced;
#   - the installer: a silent install into a fresh prefix, the installed
#     programs' --version, the window started under Xvfb and closed again,
#     with --simulate (the Start menu's entry) its whole start-up in its
#     --trace, kvor on PATH, a silent uninstall that leaves the user's data
#     folder;
#   - objdump over the installed folder: every DLL a program or plugin
#     imports is there or one Windows provides.
# Under Wine 8.0 QSerialPort writes to a COM port but cannot read from one
# (../shared/windows/README.md), so the serial transport is tested on Linux.
#
#   JOBS=N           parallel compile jobs and test streams (default: the
#                    number of cores)
#   LINUX_BUILD_DIR  the Linux build whose kvor talks to kvor-sensor-sim.exe
#                    (default build; its kvor is built when missing)
#   KEEP_PREFIX=1    keep the Wine prefixes (their paths are printed)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

scripts/setup.sh --windows

BUILD_DIR=${BUILD_DIR:-build-windows}
JOBS=${JOBS:-$(nproc)}
SHARED_WINDOWS=${SHARED_WINDOWS:-$ROOT/../shared/windows}
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
OBJDUMP=x86_64-w64-mingw32-objdump
started=$(date +%s)
say() { echo "windows: $*"; }
failed=0 passes=0 failures=0
check() {  # name, then the command
  local name=$1; shift
  if "$@"; then
    say "check: $name ok"; passes=$((passes + 1))
  else
    say "check: $name FAILED" >&2; failed=1; failures=$((failures + 1))
  fi
}

# ---- Qt for MinGW ---------------------------------------------------------------
if [ -n "${KVOR_QT_MINGW:-}" ]; then
  QT="$KVOR_QT_MINGW"
else
  tarball="$(ls "$SHARED_WINDOWS"/qt-*-mingw-w64-x86_64.tar.xz 2>/dev/null | head -n 1)"
  if [ -z "$tarball" ]; then
    echo "windows: no Qt for MinGW: set KVOR_QT_MINGW or put it in $SHARED_WINDOWS" >&2
    exit 2
  fi
  name="$(basename "$tarball" .tar.xz)"
  QT="$ROOT/$BUILD_DIR/qt/$name"
  stamp="$ROOT/$BUILD_DIR/qt/$name.unpacked"
  if [ ! -f "$stamp" ] || [ "$tarball" -nt "$stamp" ]; then
    say "unpacking $tarball"
    rm -rf "$QT" && mkdir -p "$ROOT/$BUILD_DIR/qt"
    tar -xJf "$tarball" -C "$ROOT/$BUILD_DIR/qt"
    touch "$stamp"
  fi
fi
[ -d "$QT/lib/cmake/Qt6" ] || { echo "windows: $QT is no Qt installation" >&2; exit 2; }

# ---- Build ---------------------------------------------------------------------
# Test files that are not built for Windows, and why.
LEFT_OUT=(
  # QSerialPort on a pseudo-terminal, and pseudo-terminals as the machine's
  # serial devices: Windows has none (and under Wine QSerialPort cannot read).
  runtime/rs232/serial_test.cpp
  runtime/rs232/empty_read_test.cpp
  runtime/rs232/port_table_test.cpp
  link/echo_check_test.cpp
  # kvor-sensor-sim started without --device serves a pseudo-terminal; a
  # pseudo-terminal stands in for the serial device.
  sim/command_line_test.cpp
  sim/serial_device_test.cpp
  # cmake --install of the build tree, a Linux program (the installer checks
  # below install the Windows build).
  app/install_test.cpp
)
# Test cases built for Windows that skip themselves there (the run below
# names each with its reason):
#   - tests/cli: the cases with simulated sensors on pseudo-terminals in the
#     test's process; on Windows kvor runs against its port "simulated" (the
#     command line, identify, get, send --verify and diff, several sensors
#     at once, a recording stopped by the console's Ctrl+C, kvor stats);
#   - a disk that fills up mid-write (a parameter file, a recording): Windows
#     has no file-size limit for one process;
#   - the window's fit on screens of given sizes: the layout follows the
#     system's fonts, and Wine's stand-ins are not Windows';
#   - a start without a display (Windows always has one) and the heap's
#     statistics (glibc's).

version="3.01+r0"
if git rev-parse --git-dir >/dev/null 2>&1; then
  revision="r$(git rev-list --count HEAD).g$(git rev-parse --short=7 HEAD)"
  if [ -n "$(git status --porcelain --untracked-files=no)" ]; then revision+=".dirty"; fi
  version="3.01+$revision"
else
  revision="r0"
fi
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
left_out="$(IFS=';'; echo "${LEFT_OUT[*]}")"
# Another Qt than the last configure's: everything found in the old one goes.
if [ -f "$BUILD_DIR/CMakeCache.txt" ] &&
   { ! grep -qxF "KVOR_QT_MINGW:PATH=$QT" "$BUILD_DIR/CMakeCache.txt" ||
     ! grep -qF "QCUSTOMPLOT_LIB:FILEPATH=$QT/" "$BUILD_DIR/CMakeCache.txt"; }; then
  rm -rf "$BUILD_DIR/CMakeCache.txt" "$BUILD_DIR/CMakeFiles"
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" -DKVOR_QT_MINGW="$QT" \
  "${launcher[@]}" -DKVOR_BUILD_BENCH=ON -DKVOR_REVISION="$revision" \
  -DKVOR_TESTS_LEFT_OUT="$left_out" >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"
built=$(date +%s)
BIN="$ROOT/$BUILD_DIR/bin"

# ---- Wine ------------------------------------------------------------------------
PREFIXES=()
cleanup() {
  local p server
  for p in "${PREFIXES[@]}"; do
    [ -d "$p" ] || continue
    # The server's socket folder is named after the prefix's device and inode.
    server="$(printf 'server-%x-%x' "0x$(stat -c %D "$p")" "$(stat -c %i "$p")")"
    WINEPREFIX="$p" "$WINESERVER" -k 2>/dev/null || true
    if [ -z "${KEEP_PREFIX:-}" ]; then
      rm -rf "$p"
      for dir in /tmp/wine-*/"$server" "/tmp/.wine-$(id -u)/$server"; do
        [ -d "$dir" ] || continue
        rm -rf "$dir"
        rmdir "$(dirname "$dir")" 2>/dev/null || true
      done
    else
      say "kept Wine prefix $p"
    fi
  done
}
trap cleanup EXIT
# (Wine hands a Windows program no variable named QT_*, but WINEQT_* as QT_*.)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A fresh prefix of its own for each group of runs: WINEPREFIX from now on.
new_prefix() {
  local p
  p="$(mktemp -d /tmp/kvor-wine.XXXXXX)"
  PREFIXES+=("$p")
  export WINEPREFIX="$p"
  # One Wine server for the whole group: one that ends while a program of
  # the group starts fails that program.
  "$WINESERVER" -p
  "$WINE" wineboot -i >/dev/null 2>&1
  # COM1 to COM4 are not the machine's /dev/ttyS* (Wine links them at every
  # start, and opening one may block): port 1 is no port, and the checks link
  # the ports they use themselves.
  local n
  for n in 1 2 3 4; do
    "$WINE" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d '' /f >/dev/null 2>&1
  done
  rm -f "$p"/dosdevices/com*
}
winpath() { echo "Z:${1//\//\\}"; }
mingw_dll() { x86_64-w64-mingw32-g++-posix -print-file-name="$1"; }
# The build tree's programs find their DLLs through WINEPATH.
BUILD_WINEPATH="$(winpath "$QT/bin");$(winpath "$(dirname "$(mingw_dll libstdc++-6.dll)")");$(winpath /usr/x86_64-w64-mingw32/lib)"

# ---- Tests under Wine ---------------------------------------------------------------
# As CTest runs them on Linux: every test case a process of its own (the
# program's state is the process's), on the offscreen platform, JOBS at a
# time, each stream in a Wine prefix of its own (the user's settings are in
# its registry). A case that cannot run on Windows skips itself and says why.
RESULTS="$ROOT/$BUILD_DIR/wine-tests"
rm -rf "$RESULTS" && mkdir -p "$RESULTS"
in_wine() {  # seconds, then the program and its arguments; run in $BIN
  local seconds=$1; shift
  (cd "$BIN" && WINEPATH="$BUILD_WINEPATH" WINEQT_PLUGIN_PATH="$(winpath "$QT/plugins")" \
     WINEQT_QPA_PLATFORM=offscreen timeout "$seconds" "$WINE" "$@")
}
list_cases() {  # test executable
  in_wine 120 "$1" --gtest_list_tests | tr -d '\r' |
    awk '/^[^ ]/ { suite = ($1 ~ /\.$/) ? $1 : "" } /^  / && suite != "" { print suite $1 }' | grep -v DISABLED_
}
run_case() {  # test executable, test case; the result beside its log
  local log
  log="$RESULTS/$(basename "$1" .exe)/${2//\//_}.log"
  mkdir -p "$(dirname "$log")"
  if in_wine 300 "$1" --gtest_filter="$2" >"$log" 2>&1; then
    if grep -q '^\[  SKIPPED \] ' "$log"; then echo skipped >"$log.result"; else echo ok >"$log.result"; fi
  else
    echo failed >"$log.result"
  fi
}
tests_started=$(date +%s)
streams=()
for i in $(seq 1 "$JOBS"); do
  new_prefix
  streams+=("$WINEPREFIX")
  : >"$RESULTS/stream-$i.txt"
done
i=0
for exe in "$BIN"/test_*.exe; do
  cases="$(list_cases "$exe")" || { say "check: $(basename "$exe" .exe) lists no tests" >&2; failed=1; continue; }
  while read -r test; do
    echo "$exe $test" >>"$RESULTS/stream-$((i % JOBS + 1)).txt"
    i=$((i + 1))
  done <<<"$cases"
done
for i in $(seq 1 "$JOBS"); do
  (
    export WINEPREFIX="${streams[$((i - 1))]}"
    while read -r exe test; do run_case "$exe" "$test"; done <"$RESULTS/stream-$i.txt"
  ) &
done
wait
for dir in "$RESULTS"/*/; do
  name="$(basename "$dir")"
  ok=$(cat "$dir"*.result | grep -cx ok || true)
  skipped=$(cat "$dir"*.result | grep -cx skipped || true)
  bad=$(cat "$dir"*.result | grep -cx failed || true)
  for result in $(grep -lx skipped "$dir"*.result || true); do
    say "  $name: skipped $(basename "$result" .log.result): $(tr -d '\r' <"${result%.result}" | grep -A1 ': Skipped$' | tail -n 1)"
  done
  if [ "$bad" -eq 0 ]; then
    say "check: $name ok ($ok passed, $skipped skipped)"
    passes=$((passes + 1))
  else
    say "check: $name FAILED ($bad of $((ok + skipped + bad)) test cases)" >&2
    for result in $(grep -lx failed "$dir"*.result || true); do
      say "  failed: $(basename "$result" .log.result) (log: ${result%.result})" >&2
      tr -d '\r' <"${result%.result}" | grep -B2 -A12 -m3 'Failure$' | head -n 40 >&2 || tail -n 20 "${result%.result}" >&2
    done
    failed=1; failures=$((failures + 1))
  fi
done
say "tests under Wine: $(($(date +%s) - tests_started)) s"

# The window on Windows' own platform (qwindows, under Xvfb) as the end-to-end
# tests drive it, against the sensor inside the program as --simulate gives
# it: the start-up, run mode, a recording and a parameter file (the tests
# read the files back: CR LF). One Wine session with a display for all.
WINDOWED_CASES=(
  "test_e2e StartUp.AgainstTheSensorInsideTheProgramPacedAndLateItIsTheSameStartUp"
  "test_modes RunMode.ShowsEveryReplyAndAsksAgainUntilStop"
  "test_recorder Recorder.AShortRecordingWritesTheHeaderAndOneLinePerSample"
  "test_params ParameterFile.SavingTheStartValuesWritesThirtyNumbersInFieldsOfTen"
)
windowed_cases() {
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  "$WINESERVER" -p
  local script="$RESULTS/windowed.sh" entry
  {
    echo 'status=0'
    for entry in "${WINDOWED_CASES[@]}"; do
      printf 'timeout 300 %q %q --gtest_filter=%q >>%q 2>&1 || { echo "FAILED %s"; status=1; }\n' \
        "$WINE" "$BIN/${entry%% *}.exe" "${entry#* }" "$RESULTS/windowed.log" "$entry"
    done
    echo 'exit $status'
  } >"$script"
  rm -f "$RESULTS/windowed.log"
  (cd "$BIN" && WINEPATH="$BUILD_WINEPATH" WINEQT_PLUGIN_PATH="$(winpath "$QT/plugins")" WINEQT_QPA_PLATFORM=windows \
     timeout 900 xvfb-run -a -s "-screen 0 1280x800x24" bash "$script") ||
    { grep -B2 -A12 'Failure$' "$RESULTS/windowed.log" | tr -d '\r' | head -n 60 >&2; return 1; }
  [ "$(grep -c '^\[  PASSED  \] 1 test' "$RESULTS/windowed.log")" = "${#WINDOWED_CASES[@]}" ]
}
check "the window on the qwindows platform under Xvfb: start-up, run mode, a recording, a parameter file" \
  windowed_cases

# kvor.exe as a script on Windows runs it: its output (CR LF turned into LF)
# in $WORK/out.txt, its exit status in $WORK/status.txt.
WORK="$(mktemp -d /tmp/kvor-windows-work.XXXXXX)"
PREFIXES+=("$WORK")
kvor() {
  set +e
  (cd "$WORK" && WINEPATH="$BUILD_WINEPATH" "$WINE" "$BIN/kvor.exe" "$@" >"$WORK/raw.txt" 2>&1)
  echo $? >"$WORK/status.txt"
  set -e
  tr -d '\r' <"$WORK/raw.txt" >"$WORK/out.txt"
}
expect_status() {  # status, text the output holds (may be empty), then the kvor arguments
  local want=$1 text=$2; shift 2
  kvor "$@"
  local got; got="$(cat "$WORK/status.txt")"
  if [ "$got" != "$want" ]; then echo "kvor $*: exit $got, expected $want: $(cat "$WORK/out.txt")" >&2; return 1; fi
  if [ -n "$text" ] && ! grep -qF -- "$text" "$WORK/out.txt"; then
    echo "kvor $*: no '$text' in: $(cat "$WORK/out.txt")" >&2; return 1
  fi
}
numbers=(50 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0)
printf '%10d\r\n' 500 "${numbers[@]}" >"$WORK/golden.cfg"
printf '%10d\r\n' 501 "${numbers[@]}" >"$WORK/other.cfg"
kvor_checks() {
  expect_status 0 "kvor 3.01" --version &&
    expect_status 64 "unknown command 'bogus'" bogus &&
    expect_status 64 "" send &&
    expect_status 0 "diff" --help &&
    expect_status 0 "no difference" diff golden.cfg golden.cfg &&
    expect_status 1 "1 field differs" diff golden.cfg other.cfg &&
    expect_status 3 "missing.cfg" diff golden.cfg missing.cfg &&
    expect_status 2 "COM77: FAILED No serial port found" identify COM77 &&
    expect_status 2 "FAILED No serial port found" identify '\\.\COM78' &&
    expect_status 2 "FAILED No serial port found" identify com79 &&
    expect_status 2 "7: FAILED No serial port found" identify 7
}
check "kvor.exe: usage, exit codes, --version, diff, a COM port that is not there" kvor_checks
# A null-modem pair: two pseudo-terminals joined by socat, $WORK/pty-a the
# one COMn leads to (COMn to Windows, \\.\COMn from COM10 on), $WORK/pty-b
# the far end; null_modem_end takes it away again.
null_modem_pair() {  # n
  socat pty,raw,echo=0,link="$WORK/pty-a" pty,raw,echo=0,link="$WORK/pty-b" &
  SOCAT_PID=$!
  local i
  for i in $(seq 1 50); do [ -e "$WORK/pty-b" ] && break; sleep 0.1; done
  ln -sf "$(readlink -f "$WORK/pty-a")" "$WINEPREFIX/dosdevices/com$1"
}
null_modem_end() {  # n
  kill "$SOCAT_PID" 2>/dev/null || true
  wait "$SOCAT_PID" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com$1"
}
kvor_writes_to_com12() {
  # kvor's echo frame must come out at the far end, and its trace has the
  # frame with CR LF. (No reply can come back: under Wine QSerialPort cannot
  # read.)
  null_modem_pair 12
  timeout 20 head -c 36 "$WORK/pty-b" >"$WORK/far.bin" &
  local reader=$!
  kvor identify COM12 --trace wire.trace
  wait "$reader" || true
  null_modem_end 12
  [ "$(cat "$WORK/status.txt")" = 2 ] || { echo "exit $(cat "$WORK/status.txt"): $(cat "$WORK/out.txt")" >&2; return 1; }
  [ "$(od -An -tx1 -N4 "$WORK/far.bin" | tr -d ' \n')" = "00550005" ] ||
    { echo "the far end got: $(od -An -tx1 "$WORK/far.bin" | head -2)" >&2; return 1; }
  grep -q ' TX 36 00 55 00 05 ' "$WORK/wire.trace" || { echo "no echo frame in the trace" >&2; return 1; }
  # Every line ends in CR LF.
  ! grep -qv $'\r$' "$WORK/wire.trace" || { echo "a line without CR LF" >&2; od -c "$WORK/wire.trace" | head >&2; return 1; }
}
check "kvor.exe: COM12 opens, the echo frame goes out, the trace it writes has CR LF" kvor_writes_to_com12
# Every line of the file (there is one at least) ends in CR LF.
crlf_lines() {  # file
  [ -s "$1" ] || { echo "$1: empty or missing" >&2; return 1; }
  ! grep -qv $'\r$' "$1" || { echo "$1: a line without CR LF" >&2; od -c "$1" | head -n 5 >&2; return 1; }
}
# kvor's PORT "simulated": a sensor inside kvor, fresh from the factory for
# each command, on Windows as on Linux.
kvor_against_simulated() {
  rm -f "$WORK/got.cfg" "$WORK/sim.trace"
  expect_status 0 "simulated: OK CCD type 20 (1024-pixel" identify simulated &&
    expect_status 0 "simulated: OK" get simulated --from eeprom --output got.cfg &&
    crlf_lines "$WORK/got.cfg" && [ "$(wc -l <"$WORK/got.cfg")" = 30 ] &&
    expect_status 0 "simulated: OK sent to EEPROM and verified: all 30 words read back as sent" \
      --trace sim.trace send golden.cfg simulated --to eeprom --verify &&
    crlf_lines "$WORK/sim.trace" && grep -q ' RX 36 00 AA 00 04 00 01 ' "$WORK/sim.trace" &&
    expect_status 0 "no differences" diff got.cfg simulated --from eeprom &&
    expect_status 1 "simulated: FAILED" diff golden.cfg simulated
}
check "kvor.exe: identify, get, send --verify and diff against the port simulated; its files have CR LF" \
  kvor_against_simulated

# kvor-sensor-sim.exe on COM5, one end of a null-modem pair; the Linux
# build's kvor on the other end (built here when the Linux build has none).
LINUX_BUILD_DIR=${LINUX_BUILD_DIR:-build}
LINUX_KVOR="$ROOT/$LINUX_BUILD_DIR/bin/kvor"
if [ ! -f "$LINUX_BUILD_DIR/CMakeCache.txt" ]; then
  cmake -S . -B "$LINUX_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$LINUX_BUILD_DIR" -j"$JOBS" --target kvor >/dev/null
sensor_sim_on_com5() {  # further options of kvor-sensor-sim
  null_modem_pair 5
  (cd "$WORK" && WINEPATH="$BUILD_WINEPATH" exec "$WINE" "$BIN/kvor-sensor-sim.exe" --device COM5 "$@" \
     >"$WORK/sensor.out" 2>&1) &
  local sensor=$! i status=0
  for i in $(seq 1 100); do grep -q 'is answering' "$WORK/sensor.out" 2>/dev/null && break; sleep 0.2; done
  "$LINUX_KVOR" identify "$WORK/pty-b" >"$WORK/linux.out" 2>&1 &&
    grep -q 'pty-b: OK CCD type 20' "$WORK/linux.out" &&
    tr -d '\r' <"$WORK/golden.cfg" >"$WORK/golden-lf.cfg" &&
    "$LINUX_KVOR" send "$WORK/golden-lf.cfg" "$WORK/pty-b" --to ram --verify >>"$WORK/linux.out" 2>&1 &&
    grep -q 'pty-b: OK sent to RAM and verified: all 30 words read back as sent' "$WORK/linux.out" ||
    status=1
  kill "$sensor" 2>/dev/null || true
  wait "$sensor" 2>/dev/null || true
  null_modem_end 5
  [ "$status" = 0 ] || { cat "$WORK/sensor.out" "$WORK/linux.out" >&2; return 1; }
}
check "kvor-sensor-sim.exe --device COM5: the Linux kvor identifies it, sends and verifies" sensor_sim_on_com5
check "kvor-sensor-sim.exe --device COM5 --paced: the same at 19200 baud" sensor_sim_on_com5 --paced

# ---- Package --------------------------------------------------------------------
STAGE="$ROOT/$BUILD_DIR/stage/K-VOR-NE-ZevevU301"
rm -rf "$ROOT/$BUILD_DIR/stage" && mkdir -p "$STAGE"
cmake --install "$BUILD_DIR" --prefix "$STAGE" >/dev/null
# The Qt plugins the programs load: the window system and the style.
PLUGINS=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)
for plugin in "${PLUGINS[@]}"; do
  mkdir -p "$STAGE/$(dirname "$plugin")"
  cp "$QT/plugins/$plugin" "$STAGE/$plugin"
done
# Every DLL imported, directly or through another DLL, from Qt and MinGW;
# the rest is Windows' own.
DLL_DIRS=("$QT/bin" "$(dirname "$(mingw_dll libstdc++-6.dll)")" /usr/x86_64-w64-mingw32/lib)
imports() { "$OBJDUMP" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
find_dll() {
  local dir f
  for dir in "${DLL_DIRS[@]}"; do
    f="$(find "$dir" -maxdepth 1 -iname "$1" -print -quit)"
    if [ -n "$f" ]; then echo "$f"; return 0; fi
  done
  return 1
}
queue=("$STAGE"/*.exe)
for plugin in "${PLUGINS[@]}"; do queue+=("$STAGE/$plugin"); done
while [ "${#queue[@]}" -gt 0 ]; do
  file="${queue[0]}"; queue=("${queue[@]:1}")
  while read -r dll; do
    [ -e "$STAGE/$dll" ] && continue
    if source_dll="$(find_dll "$dll")"; then
      cp "$source_dll" "$STAGE/$dll"
      queue+=("$STAGE/$dll")
    fi
  done < <(imports "$file")
done
# The zip: unpack anywhere and run. (Earlier versions' artefacts go.)
rm -f "$ROOT/$BUILD_DIR"/K-VOR-NE-ZevevU301-*-win64.zip "$ROOT/$BUILD_DIR"/K-VOR-NE-ZevevU301-*-win64-setup.exe
ZIP="$ROOT/$BUILD_DIR/K-VOR-NE-ZevevU301-$version-win64.zip"
rm -f "$ZIP"
(cd "$ROOT/$BUILD_DIR/stage" && zip -qr -X "$ZIP" K-VOR-NE-ZevevU301)
say "zip: $ZIP"
# The installer: every staged file, folder by folder, and its removal.
FILES_NSH="$ROOT/$BUILD_DIR/stage/files.nsh"
UNFILES_NSH="$ROOT/$BUILD_DIR/stage/unfiles.nsh"
: >"$FILES_NSH"; : >"$UNFILES_NSH"
(cd "$STAGE" && find . -type d | sort) | while read -r dir; do
  sub="${dir#.}"; sub="${sub//\//\\}"
  echo "SetOutPath \"\$INSTDIR$sub\"" >>"$FILES_NSH"
  (cd "$STAGE/$dir" && find . -maxdepth 1 -type f | sort) | while read -r f; do
    f="${f#./}"
    echo "File \"$STAGE/${dir#./}/$f\"" | sed 's#/\./#/#; s#//#/#' >>"$FILES_NSH"
    echo "Delete \"\$INSTDIR$sub\\$f\"" >>"$UNFILES_NSH"
  done
done
(cd "$STAGE" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
  sub="${dir#.}"; echo "RMDir \"\$INSTDIR${sub//\//\\}\"" >>"$UNFILES_NSH"
done
SETUP="$ROOT/$BUILD_DIR/K-VOR-NE-ZevevU301-$version-win64-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$STAGE" -DFILES="$FILES_NSH" -DUNFILES="$UNFILES_NSH" \
  -DICON="$ROOT/packaging/icons/kvor-icon.ico" -DOUTFILE="$SETUP" packaging/windows/installer.nsi
say "installer: $SETUP"

# ---- The package under Wine -----------------------------------------------------------
new_prefix
SYSTEM32="$WINEPREFIX/drive_c/windows/system32"
INSTALL_DIR='C:\Program Files\K-VOR-NE-ZevevU301'
INSTALLED="$WINEPREFIX/drive_c/Program Files/K-VOR-NE-ZevevU301"
DATA_DIR="$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -path '*/AppData/Local' ! -path '*/Public/*' | head -n 1)/K-VOR-NE-ZevevU301"
# The window as an operator starts it (the qwindows platform, under Xvfb),
# through its whole start-up, closed again by its close box. The machine has
# no COM port (port 1 is "No serial port found"). Wine's desktop of an
# earlier session has no display: a new session gets one.
run_window() {  # the program, then further arguments
  local exe=$1; shift
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
  "$WINESERVER" -p
  local status=0
  timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" "$WINE" "$exe" --close-when-shown "$@" || status=$?
  [ "$status" = 0 ] || { echo "the window ended with $status" >&2; return 1; }
}
zip_window() {
  local unpacked="$WINEPREFIX/drive_c/kvor-zip"
  mkdir -p "$unpacked" && unzip -q "$ZIP" -d "$unpacked" &&
    run_window "$unpacked/K-VOR-NE-ZevevU301/K-VOR-NE-ZevevU301.exe" || return 1
  # Its folder can be written: no per-user folder.
  [ ! -e "$DATA_DIR" ] || { echo "$DATA_DIR made for a program whose folder can be written" >&2; return 1; }
  rm -rf "$unpacked"
}
check "zip: the window runs from the unpacked folder and keeps its files there" zip_window
install_silently() {
  "$WINE" "$SETUP" /S /ADDTOPATH "/D=$INSTALL_DIR" &&
    [ -f "$INSTALLED/K-VOR-NE-ZevevU301.exe" ] && [ -f "$INSTALLED/kvor.exe" ] &&
    [ -f "$INSTALLED/Uninstall.exe" ]
}
check "installer: silent install into a fresh prefix" install_silently
installed_files() { (cd "$INSTALLED" && find . -type f ! -name Uninstall.exe | sort); }
staged_files() { (cd "$STAGE" && find . -type f | sort); }
check "installer: installs exactly the staged files" diff <(staged_files) <(installed_files)
every_import_there() {
  local f dll missing=0
  while read -r f; do
    while read -r dll; do
      case "${dll,,}" in api-ms-win-*|ext-ms-win-*) continue ;; esac  # Windows' API sets
      if [ -z "$(find "$INSTALLED" -maxdepth 1 -iname "$dll" -print -quit)" ] &&
         [ -z "$(find "$SYSTEM32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
        echo "$f imports $dll: neither installed nor Windows' own" >&2; missing=1
      fi
    done < <(imports "$INSTALLED/$f")
  done < <(cd "$INSTALLED" && find . -type f \( -iname '*.exe' -o -iname '*.dll' \) ! -name Uninstall.exe | sed 's#^\./##')
  return $missing
}
check "objdump: every DLL imported is installed or Windows' own" every_import_there
nothing_unneeded() {
  local dll used missing=0
  for dll in "$INSTALLED"/*.dll; do
    used=0
    while read -r f; do
      imports "$f" | grep -qix "$(basename "$dll")" && used=1 && break
    done < <(find "$INSTALLED" -type f \( -iname '*.exe' -o -iname '*.dll' \))
    [ "$used" = 1 ] || { echo "$(basename "$dll") is imported by nothing" >&2; missing=1; }
  done
  return $missing
}
check "objdump: no DLL that nothing imports" nothing_unneeded
installed_version() {
  local out
  out="$("$WINE" "$INSTALLED/kvor.exe" --version | tr -d '\r')" && [ "$out" = "kvor 3.01" ] &&
    out="$("$WINE" "$INSTALLED/K-VOR-NE-ZevevU301.exe" --version | tr -d '\r')" &&
    [ "$out" = "K-VOR-NE-ZevevU301 3.01" ]
}
check "installed programs answer --version" installed_version
kvor_on_path() {
  "$WINE" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null |
    tr -d '\r' | grep -qiF "$INSTALL_DIR"
}
check "installer: /ADDTOPATH puts kvor on PATH" kvor_on_path
installed_window() {
  run_window "$INSTALLED/K-VOR-NE-ZevevU301.exe" || return 1
  [ -d "$DATA_DIR" ] || { echo "no $DATA_DIR" >&2; return 1; }
}
check "installed window starts, closes, and keeps its files in %LOCALAPPDATA%" installed_window
# The Start menu's "(simulated sensor)" entry: --simulate. Its whole start-up
# is in the trace: the echo, the hardware, both parameter frames and the
# firmware text, each request and its reply, every line ended by CR LF.
startup_signature() {  # trace: a line a frame, direction and command (a request's argument too)
  tr -d '\r' <"$1" | sed -n \
    -e 's/.* TX 36 00 55 00 \(..\) 00 \(..\) .*/TX \1 \2/p' \
    -e 's/.* RX 36 00 AA 00 \(..\) .*/RX \1/p' \
    -e 's/.* RX 72 .*firmware text "\(.*\)"$/RX firmware \1/p' | head -n 10 | tr '\n' ','
}
installed_window_simulated() {
  local trace="$WORK/window.trace"
  rm -f "$trace"
  run_window "$INSTALLED/K-VOR-NE-ZevevU301.exe" --simulate --trace "$(winpath "$trace")" || return 1
  crlf_lines "$trace" || return 1
  local want="TX 05 00,RX 05,TX 0A 00,RX 0A,TX 02 00,RX 02,TX 02 01,RX 02,TX 07 00,RX firmware K-VOR firmware V3.01 (simulated),"
  [ "$(startup_signature "$trace")" = "$want" ] ||
    { echo "the start-up in the trace: $(startup_signature "$trace")" >&2; head -n 12 "$trace" >&2; return 1; }
}
check "installed window with --simulate: the whole start-up against the sensor inside it, traced with CR LF" \
  installed_window_simulated
uninstall_silently() {
  touch "$DATA_DIR/KVORpara.cfg"
  # The uninstaller runs a copy of itself and returns at once.
  "$WINE" "$INSTALLED/Uninstall.exe" /S
  local i
  for i in $(seq 1 150); do [ -e "$INSTALLED" ] || break; sleep 0.2; done
  if [ -e "$INSTALLED" ]; then echo "left behind: $(cd "$INSTALLED" && find . | head)" >&2; return 1; fi
  [ -f "$DATA_DIR/KVORpara.cfg" ] || { echo "the user's data folder went too" >&2; return 1; }
  ! "$WINE" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment' /v Path 2>/dev/null |
    tr -d '\r' | grep -qiF "$INSTALL_DIR" || { echo "still on PATH" >&2; return 1; }
  [ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/K-VOR-NE-ZevevU301" ] ||
    { echo "Start-menu entries left" >&2; return 1; }
}
check "uninstaller: removes every installed file, keeps the user's data" uninstall_silently

finished=$(date +%s)
say "build $((built - started)) s, Wine checks and package $((finished - built)) s"
echo "windows: $passes passed, $failures failed"
if [ "$failed" -ne 0 ]; then
  echo "windows: a check failed" >&2
  exit 1
fi
say "every check passed"
