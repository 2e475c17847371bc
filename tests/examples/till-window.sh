#!/bin/bash
# A till program with a window of its own, used as a person uses it, on Xvfb with or without a
# window manager: Return presses the host's "Impostos"; the screen "Impostos" comes up transient
# for the host's window (and above it, with a window manager); a click on the host's button
# during the call does nothing; a line is typed with keys and the keypad is touched with clicks;
# Confirm, and the host prints the lines; "Gravar" stores them; the activation and the keyboard
# focus are back on the host's window. A timer of the host calls the entry during the call and is
# refused.
# Usage: till-window.sh PROGRAM none|openbox SOURCE_DIR BUILD_DIR WORK [PROGRAM_OPTION...]
set -euo pipefail
program=$1 manager=$2 source=$3 build=$4 work=$5
shift 5
fail() { echo "till-window: $*" >&2; [[ -f $work/out.txt ]] && cat "$work/out.txt" "$work/err.txt" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

pids=()
trap 'kill "${pids[@]}" 2> /dev/null || true' EXIT
# A display of its own: a random number far above the ones that -displayfd hands out from 0, tried
# again when another server holds it, and waited for until it answers.
start_xvfb() {
  local number=$1
  # -noreset: a server resets when its last client leaves, and refuses connections meanwhile.
  Xvfb ":$number" -screen 0 1280x800x24 -nolisten tcp -noreset > "$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    kill -0 "$xvfb" 2> /dev/null || return 1
    # Ours only if it still runs: a server that found the number taken ends at once.
    if DISPLAY=:$number xprop -root > /dev/null 2>&1; then
      sleep 0.3
      kill -0 "$xvfb" 2> /dev/null && return 0
      return 1
    fi
    sleep 0.1
  done
  kill "$xvfb" 2> /dev/null
  return 1
}
for _ in $(seq 10); do
  number=$((RANDOM % 800 + 200))
  start_xvfb "$number" && break
  number=
done
[[ -n $number ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
pids+=("$xvfb")
export DISPLAY=:$number
if [[ $manager == openbox ]]; then
  openbox > "$work/openbox.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q window && break; sleep 0.1; done
  # openbox names itself before it is done starting; a window mapped meanwhile is lost.
  sleep 2
fi

QT_QPA_PLATFORM=offscreen "$build/bin/kpfhost" --make-demo-home "$work/home" 2> /dev/null
"$program" "$@" --lib-dir "$build/bin" --home "$work/home" --timer-call-ms 300 \
  0001 001 0000000123 2026-12-02 > "$work/out.txt" 2> "$work/err.txt" &
till=$!
pids+=($till)

# Asked again until it shows: a window manager's reparenting can fail a search under way.
find_window() { # TITLE
  local found
  for _ in $(seq 300); do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -1 || true)
    [[ -n $found ]] && { echo "$found"; return 0; }
    sleep 0.2
  done
  return 1
}
host=$(find_window Caixa) || fail "no window Caixa"
xdotool windowactivate --sync "$host" 2> /dev/null || xdotool windowfocus --sync "$host"
xdotool key Return
screen=$(find_window Impostos) || fail "Return did not bring up the screen Impostos"
[[ $(xprop -id "$screen" WM_TRANSIENT_FOR) == *"$(printf '0x%x' "$host")"* ]] ||
  fail "the screen is not transient for the host's window"
if [[ $manager == openbox ]]; then
  stacking=$(xprop -root _NET_CLIENT_LIST_STACKING)
  top=$(grep -o '0x[0-9a-f]*' <<< "$stacking" | tail -1)
  (( top == screen )) || fail "the screen is not on top: $stacking"
fi

# The screen's controls where the screen definition puts them.
place() {
  python3 - "$source/resources/Cli_Kpf05520.ui" "$1" << 'PY'
import sys, xml.etree.ElementTree as ET
for w in ET.parse(sys.argv[1]).getroot().iter('widget'):
    if w.get('name') == sys.argv[2]:
        r = w.find("property[@name='geometry']/rect")
        x, y, width, height = (int(r.find(k).text) for k in ('x', 'y', 'width', 'height'))
        print(x + width // 2, y + height // 2)
PY
}
touch_control() { # NAME
  read -r x y <<< "$(place "$1")"
  xdotool mousemove --window "$screen" "$x" "$y" click 1
  sleep 0.3
}

# The host's own button, clicked while the screen is up: nothing may happen.
sleep 0.5
xdotool mousemove --window "$host" 680 24 click 1
sleep 0.5
(( $(xdotool search --onlyvisible --name '.' 2> /dev/null | wc -l) >= 2 )) || fail "windows gone"
[[ $(xdotool search --onlyvisible --name '^Impostos$' | wc -l) == 1 ]] || fail "a second screen"

touch_control sbt0
touch_control sbt1
touch_control sbtEnter
xdotool windowfocus --sync "$screen"
xdotool type --delay 60 7
xdotool key Return
xdotool type --delay 60 100,00
sleep 0.3
touch_control blsConfirm
for _ in $(seq 100); do grep -q '^CONFIRMED' "$work/out.txt" && break; sleep 0.1; done
sleep 0.5
# What the operator sees now, kept beside the output (import is ImageMagick's, where installed).
if command -v import > /dev/null; then import -window "$host" "$work/host.png" || true; fi

# The activation and the keyboard focus are the host's again.
if [[ $manager == openbox ]]; then
  (( $(xdotool getactivewindow) == host )) || fail "the host's window is not active again"
fi
# The focus may sit in a child of the host's window (GTK's focus window).
focus=$(xdotool getwindowfocus -f)
while (( focus != host )); do
  focus=$(xwininfo -id "$focus" -children 2> /dev/null | awk '/Parent window id/ { print $4 }')
  [[ -n $focus ]] && (( focus != 0 )) || fail "the keyboard focus is not in the host's window"
  [[ $(xwininfo -id "$focus" 2> /dev/null) != *"(the root window)"* ]] ||
    fail "the keyboard focus is not in the host's window"
done

xdotool mousemove --window "$host" 810 24 click 1
for _ in $(seq 100); do grep -q '^STORED\|^STORE FAILED' "$work/out.txt" && break; sleep 0.1; done
xdotool key --clearmodifiers ctrl+q
for _ in $(seq 100); do kill -0 "$till" 2> /dev/null || break; sleep 0.1; done
kill -0 "$till" 2> /dev/null && fail "Ctrl+Q did not close the till"

grep -q '^TIMER FAILED .*reentrante' "$work/out.txt" || fail "the host's timer was not refused"
grep -v '^TIMER ' "$work/out.txt" > "$work/lines.txt"
diff -u "$source/tests/examples/expected/till.txt" "$work/lines.txt" || fail "the till printed other lines"
stored=$(sqlite3 "$work/home/kpf05520.db" \
  "SELECT COUNT(*) FROM IMPOSTOREDZ WHERE NRECFREDZ = '0000000123' AND CDIMPOSTO = '01'")
[[ $stored == 1 ]] || fail "the typed line is not in the database ($stored)"
echo "till-window: $(basename "$program") with ${manager/none/no window manager}: as expected"
