#!/usr/bin/env bash
# Times `loomhall-cli convert` of the whole corpus to PES and to DST with -j 1 and -j 2
# (best of five runs each) and prints designs per second and the speed-up of two jobs.
# Output goes to a folder in memory when /dev/shm exists, so the disk is not measured.
# Usage: bench/convert_cli.sh [path/to/loomhall-cli] [corpus folder]
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/default/cli/loomhall-cli}"
corpus="${2:-../shared/corpus}"
base=$([ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")
out="$base/lh-convert-cli-$$"
trap 'rm -rf "$out"' EXIT

# One line per design for DST (it never splits): the file written or why none was.
designs=$("$cli" convert --defaults --to dst --out "$out/count" -r "$corpus" 2>/dev/null | grep -c "^$out/count/" || true)
rm -rf "$out/count"
best() {  # best wall time in seconds of five runs of: convert --to $1 -j $2
  local best=999
  for _ in 1 2 3 4 5; do
    rm -rf "$out/run"
    local start end t
    start=$(date +%s.%N)
    "$cli" convert --defaults --to "$1" -j "$2" -r --out "$out/run" "$corpus" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc)
    best=$(echo "if ($t < $best) $t else $best" | bc)
  done
  echo "$best"
}
echo "corpus: $corpus, $designs designs"
for type in pes dst; do
  t1=$(best "$type" 1)
  t2=$(best "$type" 2)
  printf '%s: -j 1 %.3f s (%.0f designs/s), -j 2 %.3f s (%.0f designs/s), speed-up %.2f\n' \
    "$type" "$t1" "$(echo "$designs / $t1" | bc -l)" "$t2" "$(echo "$designs / $t2" | bc -l)" "$(echo "$t1 / $t2" | bc -l)"
done
