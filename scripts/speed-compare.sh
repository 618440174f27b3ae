#!/usr/bin/env bash
# Side-by-side speed of bench_signature binaries on one machine: the binaries
# run in turn, ROUNDS times, so that a busy machine slows all of them alike.
# Prints each binary's least and median processor seconds and their speed
# against the first binary; every run must print the same signature.
#
#   scripts/speed-compare.sh ROUNDS DEPTH OLD NEW [MORE...] [-- ARGS]
#
# ARGS go to every binary after the depth, e.g. "-- tests/data/wac.epd 0" for
# the three bench positions alone. Run from the top folder of the source.
set -euo pipefail
[ $# -ge 4 ] || { sed -n '2,10p' "$0"; exit 2; }
rounds=$1 depth=$2
shift 2
bins=() args=()
while [ $# -gt 0 ]; do
  if [ "$1" = -- ]; then shift; args=("$@"); break; fi
  bins+=("$1"); shift
done
declare -A times
signature=""
for _ in $(seq "$rounds"); do
  for b in "${bins[@]}"; do
    out=$(mktemp)
    t=$( { /usr/bin/time -f '%U' "$b" "$depth" "${args[@]}" > "$out"; } 2>&1 | tail -1)
    s=$(awk '/^signature/ {print $2}' "$out"); rm -f "$out"
    [ -z "$signature" ] && signature=$s
    [ "$s" = "$signature" ] || { echo "$b: signature $s, expected $signature" >&2; exit 1; }
    times[$b]="${times[$b]:-} $t"
  done
done
echo "signature $signature"
first_min="" first_med=""
for b in "${bins[@]}"; do
  read -r min med <<< "$(tr ' ' '\n' <<< "${times[$b]}" | sed '/^$/d' | sort -n |
    awk '{a[NR] = $1} END {print a[1], a[int((NR + 1) / 2)]}')"
  [ -z "$first_min" ] && first_min=$min first_med=$med
  printf '%-40s least %6.2f s (x%.3f)  median %6.2f s (x%.3f)\n' "$b" "$min" \
    "$(echo "$first_min / $min" | bc -l)" "$med" "$(echo "$first_med / $med" | bc -l)"
done
