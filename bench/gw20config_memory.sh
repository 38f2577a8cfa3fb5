#!/usr/bin/env bash
# Peak resident memory of gw20config itself through a connect and a commit:
# the real program on a virtual X display (Xvfb), driven by keystrokes
# (xdotool) as an operator would drive it, against gw20sim with a chain of 15
# modules on a pseudo-terminal. Prints a Markdown table; asserts nothing.
#
#   gw20config_memory.sh GW20CONFIG GW20SIM
#
# The keystrokes follow the windows' keyboard focus order: Tab from the COM
# port list to Connect, Return on the scan dialog and on message boxes,
# Shift+Tab twice from the COM port list to "Build EDS File", Shift+Tab from
# the DeviceNet page's first field to Finish. Each step waits for the window
# it expects and says which one did not come.
set -euo pipefail

program="$1"
simulator="$2"
modules=15
say() { printf '%s\n' "gw20config_memory: $*" >&2; }

scratch="$(mktemp -d "${TMPDIR:-/tmp}/gw20mem-XXXXXX")"
xvfb_pid="" sim_pid="" app_pid=""
cleanup() {
  local pid
  for pid in "$app_pid" "$sim_pid" "$xvfb_pid"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true  # a killed child's status is not a failure here
  done
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of its own: Xvfb picks a free number and writes it to fd 3.
# Nothing started here keeps this script's output open once it has ended.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || { say "Xvfb did not start"; cat "$scratch/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$scratch/display")"

# The chain the benchmark uses: a digital, an analog and a mixed model in turn.
models=(RA412:0D:00 RA850:08:02 RA312:40:00)
list=""
for address in $(seq 1 "$modules"); do
  list+="${list:+,}$(printf '%02X' "$address"):${models[$(((address - 1) % 3))]}"
done
"$simulator" --link "$scratch/com1" --eeprom "$scratch/eeprom.txt" --answer-times "$scratch/answer-times.txt" \
  --modules "$list" >"$scratch/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$scratch/com1" ] && break; sleep 0.05; done
[ -e "$scratch/com1" ] || { say "gw20sim did not start"; cat "$scratch/sim.log" >&2; exit 1; }

# The EDS file goes into the program's folder: a copy of its own keeps the build clean.
mkdir "$scratch/program"
cp "$program" "$scratch/program/gw20config"
QT_QPA_PLATFORM=xcb GW20_COM1="$scratch/com1" "$scratch/program/gw20config" >"$scratch/program.log" 2>&1 &
app_pid=$!

peak_kib() { sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$app_pid/status"; }

# Waits up to 60 s for a visible window titled TITLE; prints its id.
window_of() {
  local title="$1" window=""
  for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)"
    [ -n "$window" ] && { echo "$window"; return; }
    kill -0 "$app_pid" 2>/dev/null || { say "gw20config ended early"; cat "$scratch/program.log" >&2; exit 1; }
    sleep 0.1
  done
  say "the window \"$title\" did not appear"
  exit 1
}

# Focuses the window titled TITLE once it is there and types KEYS.
keys_to() {
  local window
  window="$(window_of "$1")"
  shift
  xdotool windowfocus --sync "$window"
  xdotool key --delay 50 "$@"
}

window_of "General Setting" >/dev/null
sleep 0.5
shown_kib="$(peak_kib)"
keys_to "General Setting" Tab space  # Connect
keys_to "Com Port Scan Parameters Setting" Return
keys_to "Warnning" Return  # a never-written EEPROM: the mismatch warning ends the connect
sleep 0.5
connect_kib="$(peak_kib)"
keys_to "General Setting" shift+Tab shift+Tab space  # Build EDS File
keys_to "GW20 Configuration Utility" Return          # "This is a new Setting for DNS gateway"
keys_to "DeviceNet EDS File Setting" shift+Tab space # Finish: writes the EEPROM and the EDS file
eds="$scratch/program/ZELKDNS 1.eds"
for _ in $(seq 600); do [ -s "$eds" ] && break; sleep 0.1; done
[ -s "$eds" ] || { say "the commit wrote no EDS file"; exit 1; }
sleep 0.5
commit_kib="$(peak_kib)"
rss_kib="$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$app_pid/status")"

# The conversation really took place: a scan, and the DeviceNet block written.
grep -q $'\t/scan$' "$scratch/answer-times.txt" || { say "no scan reached the simulator"; exit 1; }
grep -q $'\tblock 1$' "$scratch/answer-times.txt" || { say "no DeviceNet block reached the simulator"; exit 1; }

mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
echo
echo "### Peak resident memory of gw20config itself ($modules modules, Xvfb, driven by keystrokes)"
echo
echo "| moment | VmHWM MiB |"
echo "|---|---:|"
echo "| main window shown | $(mib "$shown_kib") |"
echo "| after the connect (scan dialog, mismatch warning) | $(mib "$connect_kib") |"
echo "| after the DeviceNet commit (page, message box, EEPROM and EDS file written) | $(mib "$commit_kib") |"
echo
echo "Resident at the end (VmRSS): $(mib "$rss_kib") MiB; $(grep -c . "$scratch/answer-times.txt") command lines reached the simulator."
