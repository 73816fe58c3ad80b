#!/usr/bin/env bash
# install_test.sh BUILD_DIR SAMPLES_DIR [CORPUS_DIR]: installs the desktop files into a
# temporary prefix and checks them with the desktop's own tools: the MIME database gives our
# types, both desktop entries validate, and the .thumbnailer file's Exec line makes a PNG of
# the asked size for every design type (and nothing for a damaged file). Exit 77: a tool is
# missing (scripts/install-deps installs them).
set -euo pipefail
build=$1 samples=$2 corpus=${3:-}

for tool in update-mime-database desktop-file-validate gio od; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" --component desktop >/dev/null
share=$prefix/share
fail=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then echo "FAIL: $1: expected '$2', got '$3'"; fail=1; fi
}

# MIME types from the installed package alone (the prefix first in the data folders).
update-mime-database "$share/mime" 2>/dev/null
export XDG_DATA_DIRS=$share:/usr/share XDG_DATA_HOME=$tmp/data
mimeOf() { gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
check "PES by name" application/x-embroidery-pes "$(mimeOf "$samples/flower.pes")"
check "DST by name" application/x-embroidery-dst "$(mimeOf "$samples/spiral.dst")"
cp "$samples/flower.pes" "$tmp/FLOWER.PES"
check "PES in upper case" application/x-embroidery-pes "$(mimeOf "$tmp/FLOWER.PES")"
cp "$samples/flower.pes" "$tmp/flower-without-extension"
check "PES by magic" application/x-embroidery-pes "$(mimeOf "$tmp/flower-without-extension")"
printf '%%vsm%%\0\0rest of a file' > "$tmp/header-only"
check "VP3 by magic" application/x-embroidery-vp3 "$(mimeOf "$tmp/header-only")"

for entry in loomhall tinctor; do
  desktop-file-validate "$share/applications/$entry.desktop" || fail=1
done
check "desktop entry's MIME types" "$(sed -n 's/^MimeType=//p' "$share/thumbnailers/loomhall.thumbnailer")" \
  "$(sed -n 's/^MimeType=//p' "$share/applications/loomhall.desktop")"
for size in 16 32 48 64 128 256; do
  [ -f "$share/icons/hicolor/${size}x$size/apps/loomhall.png" ] || { echo "FAIL: no ${size}px icon"; fail=1; }
done

# The thumbnailer as a file manager runs it: the Exec line with %s, %i and %o filled in.
exec_line=$(sed -n 's/^Exec=//p' "$share/thumbnailers/loomhall.thumbnailer")
pngSide() {  # the longer side of a PNG from its IHDR
  od -An -tu1 -j16 -N8 "$1" |
    awk '{w = $1 * 16777216 + $2 * 65536 + $3 * 256 + $4; h = $5 * 16777216 + $6 * 65536 + $7 * 256 + $8; print (w > h ? w : h)}'
}
thumbnail() {  # thumbnail INPUT OUTPUT
  local line=${exec_line//%s/128}
  line=${line//%i/\"$1\"}
  line=${line//%o/\"$2\"}
  (PATH=$prefix/bin:$PATH; eval "$line")
}
n=0
thumbnailOk() {  # thumbnailOk INPUT: a PNG of the size, or a failure that left nothing
  n=$((n + 1))
  if thumbnail "$1" "$tmp/$n.png" 2>/dev/null; then
    check "thumbnail of $1" 128 "$(pngSide "$tmp/$n.png")"
    return 0
  fi
  [ ! -e "$tmp/$n.png" ] || { echo "FAIL: $1 failed and left a picture"; fail=1; }
  return 1
}
for input in "$samples"/*.pes "$samples"/*.dst "$samples"/*.jef "$samples"/*.exp "$samples"/*.xxx; do
  thumbnailOk "$input" || { echo "FAIL: no thumbnail of $input"; fail=1; }
done
if [ -n "$corpus" ] && [ -f "$corpus/MANIFEST.tsv" ]; then
  # Every design type of the corpus: its files until one gives a thumbnail. The corpus's ART
  # and EMB files keep their designs in a form the loader does not read ("not supported").
  for type in $(tail -n +2 "$corpus/MANIFEST.tsv" | cut -f2 | sort -u | grep -v -x -E 'col|zip'); do
    made=0
    while IFS= read -r path; do
      thumbnailOk "$corpus/$path" && { made=1; break; }
    done < <(tail -n +2 "$corpus/MANIFEST.tsv" | awk -F'\t' -v t="$type" '$2 == t {print $1}')
    case "$made:$type" in
      1:*) echo "$type: thumbnail made" ;;
      0:art | 0:emb) echo "$type: no file the loader reads" ;;
      *) echo "FAIL: no thumbnail for any $type file"; fail=1 ;;
    esac
  done
fi
printf '#PES0001 cut short' > "$tmp/damaged.pes"
if thumbnail "$tmp/damaged.pes" "$tmp/damaged.png" 2>/dev/null; then echo "FAIL: damaged file succeeded"; fail=1; fi
[ ! -e "$tmp/damaged.png" ] || { echo "FAIL: damaged file left a picture"; fail=1; }
echo "$n thumbnails checked"
exit $fail
