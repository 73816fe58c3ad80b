#!/usr/bin/env bash
# Times `loomhall-cli info` over every design file of the corpus in one process (best of ten
# runs: wall time, and user + system CPU time, which a busy machine inflates less) against
# the 46 ms that is 50 times faster than an independent Python reader's 2.3 s on these files.
# Usage: bench/info_cli.sh [path/to/loomhall-cli] [corpus folder]
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/default/cli/loomhall-cli}"
corpus="${2:-../shared/corpus}"
mapfile -d '' files < <(find "$corpus" -path "$corpus/peer" -prune -o -type f ! -name '*.md' ! -name '*.tsv' -print0 | sort -z)
[ ${#files[@]} -gt 0 ] || { echo "no corpus at $corpus" >&2; exit 1; }

best_wall=999 best_cpu=999
TIMEFORMAT='%R %U %S'
for _ in 1 2 3 4 5 6 7 8 9 10; do
  read -r wall user sys < <({ time "$cli" info "${files[@]}" >/dev/null 2>&1; } 2>&1 || true)
  cpu=$(echo "$user + $sys" | bc)
  best_wall=$(echo "if ($wall < $best_wall) $wall else $best_wall" | bc)
  best_cpu=$(echo "if ($cpu < $best_cpu) $cpu else $best_cpu" | bc)
done
read -r start_wall _ _ < <({ time "$cli" --version >/dev/null; } 2>&1)
printf 'info over %d corpus files: %.0f ms wall, %.0f ms CPU (target: under 46 ms); start-up alone %.0f ms\n' \
  "${#files[@]}" "$(echo "$best_wall * 1000" | bc)" "$(echo "$best_cpu * 1000" | bc)" "$(echo "$start_wall * 1000" | bc)"
