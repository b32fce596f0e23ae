#!/usr/bin/env bash
# Builds the two Debian packages and checks them as a new machine would:
# installs both with dpkg, validates the menu entry, starts its Exec line
# under Xvfb in a clean environment (screenshots of the start-up picture and
# of the window after a key press go to OUT), then removes the packages
# again. Needs root, a built tree and its demo data (scripts/make-demo-data.sh).
# Usage: scripts/check-packages.sh [BUILD_DIR] [OUT]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-${VESK_BUILD_DIR:-$root/build}}"
out="${2:-$build/package-check}"
[[ $(id -u) -eq 0 ]] || { echo "check-packages: run as root (dpkg -i)" >&2; exit 1; }
if dpkg-query -W vesk vesk-demo-data >/dev/null 2>&1; then
  echo "check-packages: vesk is already installed; remove it first" >&2; exit 1
fi
mkdir -p "$out"
rm -f "$out"/*.deb
(cd "$build" && cpack -B "$out" >/dev/null)
rm -rf "$out/_CPack_Packages"
debs=("$out"/vesk-demo-data_*_all.deb "$out"/vesk_*_amd64.deb)
ls -l "${debs[@]}"

cleanup() { dpkg -r vesk vesk-demo-data >/dev/null 2>&1 || true; }
trap cleanup EXIT
dpkg -i "${debs[@]}" >/dev/null
desktop-file-validate /usr/share/applications/vesk.desktop
echo "desktop entry: valid"
vesk-tool check >/dev/null && echo "vesk-tool check: data in /usr/share/vesk is sound"

home="$(mktemp -d)"
mkdir -m 700 "$home/run"
cat > "$home/session.sh" <<'INNER'
#!/usr/bin/env bash
# Inside Xvfb: start the entry's Exec line as a desktop would, in $HOME.
set -u
cd "$HOME_DIR"
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/vesk.desktop)
env -i HOME="$HOME_DIR" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY" \
    XDG_RUNTIME_DIR="$HOME_DIR/run" $exec_line >"$OUT/entry.log" 2>&1 &
pid=$!
sleep 6
import -window root "$OUT/entry-splash.png"
if command -v xdotool >/dev/null; then xdotool key space; fi
sleep 2
import -window root "$OUT/entry-window.png"
kill -0 "$pid" || { echo "the program ended early"; exit 1; }
kill -TERM "$pid"
wait "$pid"
INNER
chmod +x "$home/session.sh"
HOME_DIR="$home" OUT="$out" xvfb-run -a -s "-screen 0 1280x800x24" "$home/session.sh"
echo "menu entry started the reader and ended in order; screenshots in $out"
rm -rf "$home"
cleanup
trap - EXIT
echo "packages removed"
