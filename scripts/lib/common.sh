# Shared by the project's commands: installing what is missing, building,
# and the Wine prefixes the program runs in.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD64=$ROOT/build/x86_64
BUILD32=$ROOT/build/i686
JOBS=$(nproc 2>/dev/null || echo 2)

# Debian packages the build, the tests and the demo need.
PACKAGES=(cmake make wine wine64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest
          fonts-wine xvfb xfonts-base xdotool x11-apps imagemagick zip unzip
          clang llvm lld)

log() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configured_for DIR: the source tree DIR's CMake cache was made for.
configured_for() {
  sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1/CMakeCache.txt" 2>/dev/null
}

# configure_build DIR TOOLCHAIN [cmake args...]: configures DIR unless it
# already is for this tree. A build directory copied or moved along with its
# checkout still names the old tree, whose objects it would build and test:
# it is emptied and configured afresh (its Wine prefixes, slow to make and
# free of the tree's paths, are kept). A failed configure leaves no cache
# behind, so the next run tries again instead of building a broken one.
configure_build() {
  local dir=$1 toolchain=$2 home
  shift 2
  if [ -f "$dir/CMakeCache.txt" ]; then
    home=$(configured_for "$dir")
    if [ -n "$home" ] && [ "$(realpath -m "$home")" = "$(realpath -m "$ROOT")" ]; then
      return 0
    fi
    log "$dir was configured for ${home:-an unknown tree}: configuring it afresh for $ROOT"
    find "$dir" -mindepth 1 -maxdepth 1 ! -name 'wineprefix*' -exec rm -rf {} +
  fi
  log "configuring $dir"
  if ! cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$toolchain" \
      -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null; then
    rm -f "$dir/CMakeCache.txt"
    log "configuring $dir failed"
    return 1
  fi
}

build64() {
  configure_build "$BUILD64" mingw-x86_64.cmake || return 1
  log "building $BUILD64"
  cmake --build "$BUILD64" -j"$JOBS" -- --no-print-directory
}

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# prepare_prefix DIR DRIVER: a Wine prefix whose graphics driver is DRIVER
# ("null" for tests without an X server, "x11" for a display).
prepare_prefix() {
  local prefix=$1 driver=$2
  if [ ! -f "$prefix/.glidestrip-$driver" ]; then
    log "creating Wine prefix $prefix ($driver driver)"
    mkdir -p "$prefix"
    WINEPREFIX=$prefix DISPLAY= wineboot -i >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    if [ "$driver" = null ]; then
      WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    else
      WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
    fi
    # A crash ends the program with an exit code instead of waiting in Wine's debugger.
    WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /d '' /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    touch "$prefix/.glidestrip-$driver"
  fi
}

# The Wine session of a command, for scripts/test, scripts/bench, scripts/demo
# and the end-to-end runner alike: start_wineserver PREFIX [RUNNER...] keeps
# one wineserver for the prefix while a run lasts, and stop_wineserver ends
# it by its process id. RUNNER (such as `taskset -c 0`) runs the server and
# Wine's background services.
# It must be the server every program of the run reaches: one that a Wine
# program starts for itself runs, through Debian's wrapper, with -p0 and ends
# the moment its last program does, and a program starting just then reaches
# it as it shuts down and dies before printing anything. So the first program
# waits for this server's socket, and a server that lost the race to another
# is started again.
WINESERVER_PID=
start_wineserver() {
  local prefix=$1 try
  shift
  local runner=("$@")
  WINESERVER_PREFIX=$prefix
  for try in 1 2 3; do
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix "${runner[@]}" wineserver -f -p </dev/null >/dev/null 2>&1 &
    WINESERVER_PID=$!
    # The server works in its own directory, where it makes its socket.
    wait_for 10 test -S "/proc/$WINESERVER_PID/cwd/socket" || true
    # The first program of a session starts Wine's background services; start
    # them here, detached, so they never hold a test runner's output pipe open.
    WINEPREFIX=$prefix "${runner[@]}" wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    kill -0 "$WINESERVER_PID" 2>/dev/null && return 0
    log "the wineserver of $prefix did not stay up (try $try): starting it again"
    wait "$WINESERVER_PID" 2>/dev/null || true
  done
  WINESERVER_PID=
  log "no lasting wineserver for $prefix: the programs start servers of their own"
}
# wait_for SECONDS COMMAND...: polls COMMAND every 50 ms until it succeeds or
# SECONDS have passed; the exit status says which.
wait_for() {
  local tries=$(($1 * 20))
  shift
  until "$@"; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.05
  done
}
stop_wineserver() {
  if [ -n "${WINESERVER_PID:-}" ]; then
    WINEPREFIX=$WINESERVER_PREFIX wineserver -k 2>/dev/null || true
    kill "$WINESERVER_PID" 2>/dev/null || true
    wait "$WINESERVER_PID" 2>/dev/null || true
    WINESERVER_PID=
  fi
}

# print_figures BUILD_DIR: the `name: value` figures (the reliability suites',
# the outside fuzz's) of the tests ctest has just run there, by test, whether
# they passed or not: ctest shows the output of failing tests only.
print_figures() {
  local log=$1/Testing/Temporary/LastTest.log
  [ -f "$log" ] || return 0
  awk '
    /^[0-9]+\/[0-9]+ Test: / { test = $3; next }
    /^<end of output>$/ { test = ""; next }
    test != "" && /^[a-z][a-z0-9_]*(\.[a-z0-9_]+)+: / {
      if (!(test in shown)) { shown[test] = 1; print "== figures of " test }
      print "   " $0
    }' "$log"
}
