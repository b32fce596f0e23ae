#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Usage: scripts/setup-deps.sh [build|test|run|all]
# Works as root or, for a normal user, through sudo. Quick when all is there.
set -euo pipefail

purpose="${1:-all}"

build_pkgs=(g++ cmake ninja-build pkg-config libgtest-dev googletest clang-14
            libclang-rt-14-dev libfuzzer-14-dev qt6-base-dev qt6-translations-l10n
            libsqlite3-dev libxml2-dev)
run_pkgs=(unicode-data nodejs npm bzip2 fonts-noto-cjk fonts-hanazono)
test_pkgs=(xvfb xauth imagemagick librsvg2-bin fonts-noto-cjk fonts-hanazono desktop-file-utils xdotool poppler-utils
           ripgrep python3)
bench_pkgs=(sqlite3 ripgrep hyperfine time)

case "$purpose" in
  build) wanted=("${build_pkgs[@]}") ;;
  test)  wanted=("${build_pkgs[@]}" "${test_pkgs[@]}") ;;
  run)   wanted=("${build_pkgs[@]}" "${run_pkgs[@]}") ;;
  bench) wanted=("${build_pkgs[@]}" "${run_pkgs[@]}" "${bench_pkgs[@]}") ;;
  all)   wanted=("${build_pkgs[@]}" "${run_pkgs[@]}" "${test_pkgs[@]}" "${bench_pkgs[@]}") ;;
  *) echo "usage: $0 [build|test|run|bench|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
# Node.js may come from elsewhere than Debian; a working node and npm will do.
if command -v node >/dev/null && command -v npm >/dev/null; then
  filtered=()
  for p in "${missing[@]}"; do [[ "$p" == nodejs || "$p" == npm ]] || filtered+=("$p"); done
  missing=("${filtered[@]}")
fi

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "setup-deps: missing packages (${missing[*]}) and neither root nor sudo" >&2
  exit 1
fi
echo "setup-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
