#!/usr/bin/env bash
# The thumbnailer as file managers run it, one process per file:
#  1. every file of the corpus at size 256: mean wall time per file, process start included
#     (target: under 20 ms);
#  2. the hostile inputs of tests/data and a few made here (a 64 MiB file of stitch records,
#     one just over the loader's 64 MiB limit, a file of one million and one records): the
#     longest wall time and the largest resident memory of one run (limits: 1 s, 256 MB).
# Usage: bench/thumbnailer.sh [path/to/loomhall-thumbnailer] [corpus folder]
set -euo pipefail
cd "$(dirname "$0")/.."
thumbnailer="${1:-build/default/desktop/loomhall-thumbnailer}"
corpus="${2:-../shared/corpus}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mapfile -d '' files < <(find "$corpus" -path "$corpus/peer" -prune -o -type f ! -name '*.md' ! -name '*.tsv' -print0 | sort -z)
if [ ${#files[@]} -gt 0 ]; then
  best=999999999
  for _ in 1 2 3; do
    start=$(date +%s%N)
    n=0
    for f in "${files[@]}"; do
      n=$((n + 1))
      "$thumbnailer" -s 256 "$f" "$tmp/$n.png" 2>/dev/null || true
    done
    ms=$(( ($(date +%s%N) - start) / 1000000 ))
    if [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  made=$(find "$tmp" -name '*.png' | wc -l)
  printf 'corpus: %d files (%d thumbnails), %.1f ms per file (best of 3; target under 20 ms)\n' \
    "${#files[@]}" "$made" "$(echo "$best / ${#files[@]}" | bc -l)"
  rm -f "$tmp"/*.png
fi

# Hostile inputs: DST records of 3 bytes up to 64 MiB (refused after a million records), one
# byte over the file limit (refused before reading), a million and one records.
head -c $((64 * 1024 * 1024)) /dev/zero | tr '\0' '\001' > "$tmp/big.dst"
head -c $((64 * 1024 * 1024 + 1)) /dev/zero > "$tmp/too-big.dst"
head -c $((3 * 1000001)) /dev/zero | tr '\0' '\001' > "$tmp/records.dst"
worst_ms=0 worst_kb=0
for f in tests/data/loading/* tests/data/hus/* "$tmp/big.dst" "$tmp/too-big.dst" "$tmp/records.dst"; do
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$tmp/rss" "$thumbnailer" -s 1024 "$f" "$tmp/out.png" 2>/dev/null || true
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  kb=$(tail -1 "$tmp/rss")
  printf '%-40s %5d ms %7d KB\n' "$(basename "$f")" "$ms" "$kb"
  [ "$ms" -le "$worst_ms" ] || worst_ms=$ms
  [ "$kb" -le "$worst_kb" ] || worst_kb=$kb
  rm -f "$tmp/out.png"
done
printf 'hostile inputs: longest %d ms (limit 1000), largest %d MB resident (limit 256)\n' "$worst_ms" $((worst_kb / 1024))
