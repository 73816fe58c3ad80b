#!/usr/bin/env bash
# Times `loomhall-cli convert` of 4,000 small design files with -j 1 and -j 2 (best of three
# runs each) and prints files per second and the speed-up of two jobs. The inputs are made
# here from the small samples; input and output stay on the disk of TMPDIR (not in memory),
# so the run's flush to disk at its end is part of what is measured.
# Usage: bench/convert_many.sh [path/to/loomhall-cli] [count] [type]
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/default/cli/loomhall-cli}"
count="${2:-4000}"
type="${3:-pes}"
work=$(mktemp -d "${TMPDIR:-/tmp}/lh-convert-many.XXXXXX")
trap 'rm -rf "$work"' EXIT

mkdir "$work/in"
sources=(samples/spiral.dst samples/flower.jef samples/letters.xxx)
for ((i = 0; i < count; i++)); do
  src=${sources[i % ${#sources[@]}]}
  cp "$src" "$work/in/$(printf 'd%05d' "$i").${src##*.}"
done
sync

best() {  # best wall time in seconds of three runs of: convert -j $1
  local best=999
  for _ in 1 2 3; do
    rm -rf "$work/out"
    local start end t
    start=$(date +%s.%N)
    "$cli" convert --defaults --to "$type" -j "$1" --out "$work/out" "$work/in" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    best=$(echo "if ($t < $best) $t else $best" | bc)
  done
  echo "$best"
}
made=$("$cli" convert --defaults --to "$type" --out "$work/count" "$work/in" 2>/dev/null | grep -c "^$work/count/" || true)
rm -rf "$work/count"
echo "$count small files ($made $type files written per run) in $work"
t1=$(best 1)
t2=$(best 2)
printf '%s: -j 1 %.3f s (%.0f files/s), -j 2 %.3f s (%.0f files/s), speed-up %.2f\n' \
  "$type" "$t1" "$(echo "$count / $t1" | bc -l)" "$t2" "$(echo "$count / $t2" | bc -l)" "$(echo "$t1 / $t2" | bc -l)"
