#!/usr/bin/env bash
# Builds the benchmarks natively (optimised, no sanitizers) and prints their figures.
# Each case runs in a process of its own, as a host opens an archive: the C library's
# allocator adapts its thresholds to earlier work, which would colour later cases.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/configure.sh" bench >/dev/null
bench="$root/build/bench/bench/listing_bench"
for names in SameNames DistinctNames; do
  previous=""
  for entries in 1000 10000 60000; do
    line=$("$bench" --benchmark_filter="^$names/$entries\$" --benchmark_min_time=1 "$@" 2>/dev/null | grep "^$names/")
    echo "$line"
    cpu=$(echo "$line" | awk '{print $4}')
    if [ -n "$previous" ]; then
      awk -v a="$previous" -v b="$cpu" -v e="$entries" -v p="$prev_entries" \
        'BEGIN { printf "  %d -> %d entries (x%.1f): time x%.1f\n", p, e, e / p, b / a }'
    fi
    previous=$cpu
    prev_entries=$entries
  done
done
