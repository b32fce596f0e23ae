#!/usr/bin/env bash
# Renders the program's pictures from the SVG sources in resources/art into
# resources/bitmaps, which the program embeds. Needs ImageMagick with SVG
# (Debian imagemagick) and rsvg-convert (Debian librsvg2-bin), which draws the
# gradients. Run it again after changing a source.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
art="$here/art"
out="$here/bitmaps"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# svg -> png with transparency kept
render() { rsvg-convert -f png -o "$2" "$1"; }

# A picture whose see-through parts must become the colour key: edges are
# blended onto the toolbar face colour, fully clear pixels become $3.
keyed_bmp() {
  local src="$1" dst="$2" key="$3" face="$4"
  local size; size="$(identify -format '%wx%h' "$src")"
  convert "$src" -background "$face" -alpha remove -alpha off "$tmp/flat.png"
  convert "$src" -alpha extract -threshold 0 "$tmp/mask.png"
  convert -size "$size" "xc:$key" "$tmp/flat.png" "$tmp/mask.png" -composite \
          -alpha off -type TrueColor "BMP3:$dst"
}

# Toolbar: the background and three strips of ten 40 x 40 images.
render "$art/toolbar_background.svg" "$tmp/bg.png"
convert "$tmp/bg.png" -alpha off -type TrueColor "BMP3:$out/toolbar_background.bmp"
face="#ECE8DC"
strip() {
  sed -e "s/@INK@/$2/g" -e "s/@PAPER@/$3/g" -e "s/@ACCENT@/$4/g" -e "s/@MARK@/$5/g" \
      "$art/toolbar_buttons.svg" > "$tmp/$1.svg"
  render "$tmp/$1.svg" "$tmp/$1.png"
  keyed_bmp "$tmp/$1.png" "$out/toolbar_$1.bmp" "#FF00FF" "$face"
}
strip normal   "#2B4C7E" "#FFFFFF" "#C8402A" "#F7D774"
strip hot      "#1E63C4" "#FFFFFF" "#E2532F" "#FFE27A"
strip disabled "#A7A9AD" "#F1F1F1" "#BDBDBD" "#DCDCDC"

# The result list's "<" and ">" strips, four frames of 32 x 32.
sed -e 's|@GLYPH@|M19 8L11 16L19 24|g' "$art/page_buttons.svg" > "$tmp/prev.svg"
sed -e 's|@GLYPH@|M13 8L21 16L13 24|g' "$art/page_buttons.svg" > "$tmp/next.svg"
for b in prev next; do
  render "$tmp/$b.svg" "$tmp/$b.png"
  convert "$tmp/$b.png" -alpha off -type TrueColor "BMP3:$out/page_$b.bmp"
done

# Contents tree images (black is their transparent colour), split in two.
render "$art/tree_images.svg" "$tmp/tree_a.png"
convert "$tmp/tree_a.png" -background black -alpha remove -alpha off "$tmp/tree.png"
convert "$tmp/tree.png" -crop 20x20+0+0 +repage -type TrueColor "BMP3:$out/tree_closed.bmp"
convert "$tmp/tree.png" -crop 20x20+20+0 +repage -type TrueColor "BMP3:$out/tree_open.bmp"

# Slider cursor, application icon, about and start-up pictures.
render "$art/slider_cursor.svg" "$out/slider_cursor.png"
for s in 16 32 48 256; do
  rsvg-convert -f png -w "$s" -h "$s" -o "$out/app_icon_$s.png" "$art/app_icon.svg"
done
render "$art/about.svg" "$tmp/about.png"
convert "$tmp/about.png" -alpha off -type TrueColor "BMP3:$out/about.bmp"
render "$art/splash.svg" "$tmp/splash.png"
convert "$tmp/splash.png" -alpha off "PNG24:$out/splash.png"
echo "rendered into $out"
