#!/usr/bin/env bash
# Takes the pictures of docs/reading-aids.md: the program on the demo data
# under a virtual X server (1366 x 768, fresh settings, a prepared bookmark
# file with two pages that exist and two that do not):
#   reading-aids-history.png     three searches, then Down: the history drop-down
#   reading-aids-bookmarks.png   the bookmark list, missing pages greyed
#   reading-aids-char-info.png   爲 selected on 唐詩三百首 page 1: the status bar
#   reading-aids-code-point.png  the code-point dialog with U+2A6A5
# Needs a built tree with its demo data (scripts/make-demo-data.sh) and the
# test packages (Xvfb, xdotool, ImageMagick: scripts/setup-deps.sh test).
# Usage: scripts/screenshot-reading-aids.sh [OUTDIR]   (default docs/)
# VESK_BUILD_DIR overrides build/; VESK_SCREENSHOT_DISPLAY the display (:98).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="${VESK_BUILD_DIR:-$root/build}/bin"
out="${1:-$root/docs}"
display="${VESK_SCREENSHOT_DISPLAY:-:98}"
[[ -x "$bin/vesk" && -f "$bin/kav.dir" ]] || {
  echo "screenshot-reading-aids: build the tree and make the demo data first" >&2; exit 1; }

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

# The bookmark file of this data folder: named by the first 16 hex digits of
# the SHA-1 of the folder's canonical path.
data="$(realpath "$bin")"
hash="$(printf '%s' "$data" | sha1sum | cut -c1-16)"
mkdir -p "$work/home/.config/vesk/bookmarks" "$work/tmp"
cat >"$work/home/.config/vesk/bookmarks/$hash.json" <<EOF
{ "format": "vesk bookmarks", "version": 1, "dataFolder": "$data",
  "bookmarks": [
    { "path": ["經", "楚辭", "全一卷"], "page": 13, "note": "楚辭の明月", "record": 8, "added": "2026-12-11T02:47:48" },
    { "path": ["詩", "唐詩三百首", "全一卷"], "page": 1, "note": "唐詩", "record": 426, "added": "2026-12-11T02:48:05" },
    { "path": ["詩", "全唐詩", "卷九百"], "page": 3, "note": "消えた巻", "record": 40, "added": "2026-12-01T10:00:00" },
    { "path": ["經", "楚辭", "全一卷"], "page": 9999, "note": "", "record": 8, "added": "2026-12-01T10:05:00" } ] }
EOF

Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" TMPDIR="$work/tmp" \
  "$bin/vesk" --no-splash >"$work/vesk.log" 2>&1 &
vesk_pid=$!
xdotool search --sync --name 'Vantor' >/dev/null
sleep 2

click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
shot() { import -window root "$work/$1.png"; }

# History: three searches in the scope 經, then Down in the keyword box.
click 65 83            # the tab "検索"
click 100 130          # the keyword box
for keyword in '明月' '明月 -故鄉' 'U+6625 花'; do
  xdotool key ctrl+a BackSpace
  xdotool type --delay 120 "$keyword"
  sleep 0.3
  xdotool key Return
  sleep 1.5
done
xdotool key Down
sleep 0.8
shot history
xdotool key Escape
sleep 0.3

# Bookmarks: the list (menu しおり, しおり一覧), then 唐詩 opened from it.
click 257 11
click 298 61 1
shot bookmarks
click 500 225          # second row: 唐詩三百首
click 655 500 1.5      # 開く
click 930 500          # 閉じる

# Character information: 爲 in 「誰爲表予心」 selected with the mouse.
xdotool mousemove 747 237
sleep 0.2
xdotool mousedown 1
sleep 0.2
for x in 750 753 756 759 763; do xdotool mousemove "$x" 238; sleep 0.1; done
xdotool mouseup 1
sleep 0.8
shot char-info

# The code-point dialog (menu 編集, コード位置で文字を入力).
click 105 11
click 190 88 1
xdotool type --delay 100 'U+2A6A5'
sleep 0.8
shot code-point

convert "$work/history.png" -crop 520x330+0+0 +repage "$out/reading-aids-history.png"
convert "$work/bookmarks.png" -crop 640x380+350+150 +repage "$out/reading-aids-bookmarks.png"
convert "$work/char-info.png" -crop 806x688+560+80 +repage "$out/reading-aids-char-info.png"
convert "$work/code-point.png" -crop 220x260+570+212 +repage "$out/reading-aids-code-point.png"
echo "screenshot-reading-aids: $out/reading-aids-{history,bookmarks,char-info,code-point}.png"
