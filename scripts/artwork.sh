#!/usr/bin/env bash
# Redraws every picture the product ships from its vector description.
#
# Each folder artwork/<group>/ holds SVG drawings and a file `target`:
#   output <folder>          where the generated files go, from the repository root
#   format ico|bmp|png       ico: one icon file holding every size;
#                            bmp: 32-bit bitmaps with alpha; png: plain pictures
#   sizes <n> ...            square pixel sizes to render (ico: all in one file;
#                            bmp/png: one file <name>-<n>.<ext> per size);
#                            "native": the drawing's own size, as <name>.<ext>
# The generated files are committed; run this after changing a drawing.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
command -v rsvg-convert >/dev/null && command -v convert >/dev/null || {
  echo "artwork: needs rsvg-convert (librsvg2-bin) and convert (imagemagick)" >&2; exit 1; }

work=$(mktemp -d); trap 'rm -rf "$work"' EXIT

setting() { sed -n "s/^$1[[:space:]]\{1,\}//p" "$2" | head -n 1; }

render() {  # svg size(or native) png
  if [ "$2" = native ]; then rsvg-convert "$1" -o "$3"; else rsvg-convert -w "$2" -h "$2" "$1" -o "$3"; fi
}

for target in artwork/*/target; do
  group=$(dirname "$target")
  output=$(setting output "$target"); format=$(setting format "$target"); sizes=$(setting sizes "$target")
  mkdir -p "$output"
  for svg in "$group"/*.svg; do
    name=$(basename "$svg" .svg)
    case $format in
      ico)
        pngs=()
        for size in $sizes; do render "$svg" "$size" "$work/$name-$size.png"; pngs+=("$work/$name-$size.png"); done
        convert "${pngs[@]}" "$output/$name.ico" ;;
      bmp|png)
        for size in $sizes; do
          file=$name-$size; [ "$size" = native ] && file=$name
          render "$svg" "$size" "$work/$file.png"
          if [ "$format" = bmp ]; then convert "$work/$file.png" -define bmp:format=bmp4 "BMP:$output/$file.bmp"
          else cp "$work/$file.png" "$output/$file.png"; fi
        done ;;
      *) echo "artwork: $target: unknown format '$format'" >&2; exit 1 ;;
    esac
    echo "artwork: $svg -> $output ($format $sizes)"
  done
done
