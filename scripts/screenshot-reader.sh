#!/usr/bin/env bash
# Takes the README's picture of the reader: the program on the demo data under
# a virtual X server (1366 x 768, fresh settings), the keyword 明月 searched
# in the first record's scope, and the hit page of 楚辭 page 24 (an even page,
# the text in the frame's first cell) shown at its first hit.
# Needs a built tree with its demo data (scripts/make-demo-data.sh) and the
# test packages (Xvfb, xdotool, ImageMagick's import: scripts/setup-deps.sh test).
# Usage: scripts/screenshot-reader.sh [OUT.png]   (default docs/reader.png)
# VESK_BUILD_DIR overrides build/; VESK_SCREENSHOT_DISPLAY the display (:97).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${VESK_BUILD_DIR:-$root/build}/bin"
out="${1:-$root/docs/reader.png}"
display="${VESK_SCREENSHOT_DISPLAY:-:97}"
[[ -x "$bin/vesk" && -f "$bin/kav.dir" ]] || {
  echo "screenshot-reader: build the tree and make the demo data first" >&2; exit 1; }

work="$(mktemp -d)"
xvfb_pid=""
vesk_pid=""
cleanup() {
  [[ -n "$vesk_pid" ]] && kill "$vesk_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# Fresh settings and temporary files: the search pane starts 260 pixels wide.
mkdir -p "$work/home" "$work/tmp"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/tmp" \
  "$bin/vesk" --no-splash >"$work/vesk.log" 2>&1 &
vesk_pid=$!
xdotool search --sync --name 'Vantor' >/dev/null
sleep 2

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
click 65 83            # the tab "検索"
click 100 130          # the keyword box
xdotool type --delay 150 '明月'
sleep 0.3
xdotool key Return     # search: 經 (the first record) is the scope
sleep 1.5
click 60 391 1.5       # third row: 楚辭 全一卷 page 24
import -window root "$out"
echo "screenshot-reader: $out"
