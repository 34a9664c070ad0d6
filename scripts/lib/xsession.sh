# The program on a device-sized X screen: a private Xvfb, a Wine virtual
# desktop of the same size, the probe that reads windows through the
# platform, real input through xdotool, screenshots and their pixels.
# Used by scripts/demo and the end-to-end test; needs common.sh first.
#
#   start_xvfb && start_wineserver "$prefix" && start_in_desktop "$probe" "$exe" run.log
#   wait_until 60 form_shown; slow_drag 120 200 40; snap drag; column "$snapped" 200
# shellcheck shell=bash

DEVICE_WIDTH=240
DEVICE_HEIGHT=320
DESKTOP_NAME=GlideStrip

now_ms() { date +%s%3N; }

# wait_until SECONDS COMMAND...: polls COMMAND every 100 ms until it succeeds
# or SECONDS have passed; the exit status says which.
wait_until() {
  local deadline=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

XVFB_PID=
XVFB_LOG=${XVFB_LOG:-/dev/null}
# The X screen: the device's size, or larger where the desktop must have
# room to turn (320 x 320 takes both 240 x 320 and 320 x 240).
XVFB_SCREEN=${XVFB_SCREEN:-${DEVICE_WIDTH}x${DEVICE_HEIGHT}}
xvfb_ready() {
  kill -0 "$XVFB_PID" 2>/dev/null || return 2
  DISPLAY=$1 xdotool getdisplaygeometry >/dev/null 2>&1
}
# start_xvfb: an Xvfb with a screen of $XVFB_SCREEN on the first free
# display from :97 up; exports DISPLAY. Another user may take a display at
# the same moment, so a server that dies at start moves on to the next one.
start_xvfb() {
  local n
  for n in $(seq 97 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${XVFB_SCREEN}x24" -nolisten tcp -noreset \
      </dev/null >>"$XVFB_LOG" 2>&1 &
    XVFB_PID=$!
    if wait_until 15 xvfb_ready ":$n"; then
      export DISPLAY=:$n
      log "Xvfb on $DISPLAY (pid $XVFB_PID), $XVFB_SCREEN"
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  done
  echo "no free X display found" >&2
  return 1
}
stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}

# A crash shows no dialog that would hold the desktop open: the process ends
# and its exit code tells.
quiet_crashes() {
  local prefix=$1
  [ -f "$prefix/.glidestrip-nocrashdialog" ] && return 0
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD \
    /d 0 /f >/dev/null 2>&1
  touch "$prefix/.glidestrip-nocrashdialog"
}

# The virtual desktop can be turned to 320 x 240 and back with
# ChangeDisplaySettingsExW (probe display) only when its own size, 240 x 320,
# is on its mode list: Wine adds the size saved as the default desktop's.
turnable_desktop() {
  local prefix=$1
  [ -f "$prefix/.glidestrip-turnable" ] && return 0
  WINEPREFIX=$prefix wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ \
    /d "${DEVICE_WIDTH}x${DEVICE_HEIGHT}" /f >/dev/null 2>&1
  touch "$prefix/.glidestrip-turnable"
}

# Z: is the root of the Unix file system in every Wine prefix.
windows_path() {
  local path
  path=$(realpath "$1")
  printf 'Z:%s' "${path//\//\\}"
}

# desktop COMMAND...: runs a Windows program in the device-sized virtual
# desktop; the first one there creates the desktop, later ones join it.
desktop() {
  wine explorer "/desktop=$DESKTOP_NAME,${DEVICE_WIDTH}x${DEVICE_HEIGHT}" "$@"
}

PROBE=
# probe ARGS...: the probe's answer (see tests/e2e/probe.cpp) on stdout.
# The program's launcher must hold the desktop first: a probe that creates
# it keeps its output open for as long as the desktop lasts. Bounded, so a
# hung program cannot hang the caller.
probe() { timeout 30 wine explorer "/desktop=$DESKTOP_NAME,${DEVICE_WIDTH}x${DEVICE_HEIGHT}" \
  "$PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# start_in_desktop PROBE EXE LOG: starts EXE through the probe, which writes
# "started PID" and, when EXE ends, "exit CODE" to LOG. PROGRAM_PID is the
# Wine process that holds the desktop for as long as anything runs in it.
PROGRAM_PID=
start_in_desktop() {
  PROBE=$1
  local exe=$2 out=$3
  : >"$out"
  desktop "$PROBE" run "$(windows_path "$exe")" </dev/null >"$out" 2>/dev/null &
  PROGRAM_PID=$!
}
program_started() { grep -q '^started' "$1"; }
# program_exit LOG: the exit code the probe saw, empty while EXE runs.
program_exit() { tr -d '\r' <"$1" | awk -F'\t' '$1 == "exit" { print $2 }'; }
program_ended() { [ -n "$(program_exit "$1")" ]; }

# window_line TREE CLASS TEXT: the probe's line for the first window with
# that class and text ("-" for any text).
window_line() {
  awk -F'\t' -v c="$2" -v t="$3" '$3 == c && (t == "-" || $4 == t) { print; exit }' <<<"$1"
}
# window_rect TREE CLASS TEXT: "left top right bottom" on the screen.
window_rect() { window_line "$@" | cut -f5; }

# The desktop window sits at the X screen's origin, so screen and X
# coordinates are the same.
shot() { import -display "$DISPLAY" -window root "$1"; }

# column PNG X [TOP BOTTOM]: "R,G,B" of each pixel of column X from TOP to
# BOTTOM - 1, one line each.
column() {
  local top=${3:-0} bottom=${4:-$DEVICE_HEIGHT}
  convert "$1" -crop "1x$((bottom - top))+$2+$top" +repage -depth 8 rgb:- |
    od -An -v -tu1 -w3 | awk '{ print $1 "," $2 "," $3 }'
}
# row PNG Y [LEFT RIGHT]: the same for a row of pixels.
row() {
  local left=${3:-0} right=${4:-$DEVICE_WIDTH}
  convert "$1" -crop "$((right - left))x1+$left+$2" +repage -depth 8 rgb:- |
    od -An -v -tu1 -w3 | awk '{ print $1 "," $2 "," $3 }'
}

# snap NAME: a numbered screenshot into $SHOTS; its path is left in $snapped.
SHOTS=.
shot_count=0
snapped=
snap() {
  shot_count=$((shot_count + 1))
  snapped=$(printf '%s/%02d-%s.png' "$SHOTS" "$shot_count" "$1")
  shot "$snapped"
}
unsnap() { rm -f "$snapped"; shot_count=$((shot_count - 1)); }

screen_sum() { import -display "$DISPLAY" -window root -depth 8 rgb:- 2>/dev/null | md5sum; }
# The same picture three times, 100 ms apart: nothing moves or paints.
screen_still() {
  local a b c
  a=$(screen_sum); sleep 0.1; b=$(screen_sum); sleep 0.1; c=$(screen_sum)
  [ "$a" = "$b" ] && [ "$b" = "$c" ]
}

# --- the demo's windows, as the probe sees them --------------------------

CAPTION="GlideStrip Demo"
tree=
read_tree() { tree=$(probe tree); }
form_shown() { read_tree; [ -n "$(window_line "$tree" Form "$CAPTION")" ]; }
# program_up LOG: the program has started and shows its form; the first
# start of a prefix is slow, but a program that ends is not waited for.
form_or_end() { program_ended "$1" || form_shown; }
program_up() {
  wait_until 120 program_started "$1" && wait_until 60 form_or_end "$1" && ! program_ended "$1"
}
box_shown() { read_tree; [ -n "$(window_line "$tree" '#32770' "$CAPTION")" ]; }
box_gone() { read_tree; [ -z "$(window_line "$tree" '#32770' "$CAPTION")" ]; }
# child_of CLASS TEXT CHILD_CLASS CHILD_TEXT: the line of a child of the
# top-level window CLASS/TEXT in the last tree read ("-" for any non-empty
# text); in the tree a window's children follow it at depth 1.
child_of() {
  awk -F'\t' -v pc="$1" -v pt="$2" -v c="$3" -v t="$4" '
    $1 == 0 { inside = ($3 == pc && $4 == pt) }
    inside && $1 == 1 && $3 == c && (t == "-" ? $4 != "" : $4 == t) { print; exit }' <<<"$tree"
}
# The box's message is its static child with text; its button says "OK".
box_text() { child_of '#32770' "$CAPTION" Static - | cut -f4; }
box_button() { child_of '#32770' "$CAPTION" Button OK | cut -f5; }
kapat_rect() { child_of Form "$CAPTION" Button Kapat | cut -f5; }
# The list's drawing panel is the form's other child.
panel_rect() {
  awk -F'\t' -v pt="$CAPTION" '$1 == 0 { inside = ($3 == "Form" && $4 == pt) }
    inside && $1 == 1 && !($3 == "Button" && $4 == "Kapat") { print $5; exit }' <<<"$tree"
}
centre() { awk '{ printf "%d %d", ($1 + $3) / 2, ($2 + $4) / 2 }' <<<"$1"; }

# --- gestures: real input through xdotool ---------------------------------

# A stylus-down within 300 ms of the last one is a double tap to the list
# box: separate gestures keep a person's pause between them.
gesture() { sleep 0.4; xdotool "$@"; }
tap() { gesture mousemove "$1" "$2" click 1; }
# slow_drag X FROM TO: 2-pixel steps, the last few of 1 pixel and well apart,
# so the last step leaves no speed (1 div 2 = 0) and the list stops where
# the stylus does.
slow_drag() {
  local x=$1 from=$2 to=$3 y=$2 dir=1 args
  [ "$to" -lt "$from" ] && dir=-1
  args=(mousemove "$x" "$from" mousedown 1)
  while [ $(((to - y) * dir)) -gt 5 ]; do
    y=$((y + 2 * dir))
    args+=(sleep 0.02 mousemove "$x" "$y")
  done
  while [ "$y" -ne "$to" ]; do
    y=$((y + dir))
    args+=(sleep 0.15 mousemove "$x" "$y")
  done
  gesture "${args[@]}" sleep 0.1 mouseup 1
}
# flick X FROM TO: 20-pixel steps 8 ms apart and an immediate release.
flick() {
  local x=$1 from=$2 to=$3 y args
  args=(mousemove "$x" "$from" mousedown 1)
  for y in $(seq "$from" $((to < from ? -20 : 20)) "$to"); do
    args+=(sleep 0.008 mousemove "$x" "$y")
  done
  gesture "${args[@]}" mouseup 1
}
# close_box: presses the message box's OK and waits for the box to go. The
# box's window exists before its controls do: its button is waited for.
box_ready() { read_tree; [ -n "$(box_button)" ]; }
close_box() {
  local ok
  wait_until 10 box_ready || return 1
  ok=$(box_button)
  # shellcheck disable=SC2046
  gesture mousemove $(centre "$ok") click 1
  wait_until 10 box_gone
}
