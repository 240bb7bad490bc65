#!/usr/bin/env bash
# The store's reliability suite: processes killed (kill -9) at random moments of every kind
# of operation, then 8 processes racing over the same files with random operations; the
# store's own check after each trial.
# Usage: run.sh DWTORTURE DWSTORE [--kills N] [--files N] [--ops N] [--rounds N]
#   --kills   killed operations (default 27, spread over the nine kinds)
#   --files   files in the racing store (default 100); --ops operations per racing process
#   --rounds  racing rounds (default 1)
set -uo pipefail
torture=$1 dwstore=$2; shift 2
kills=27 files=100 ops=40 rounds=1
while [ $# -gt 0 ]; do
  case $1 in
    --kills) kills=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --ops) ops=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    *) echo "onbekende optie $1" >&2; exit 2 ;;
  esac
done
work=$(mktemp -d "${TMPDIR:-/tmp}/dwbetrouwbaar.XXXXXX")
trap 'rm -rf "$work"' EXIT
kinds=(checkout checkin undo add copy rename delete folder-rename folder-delete)
declare -A killed
bad=0

check() { # $1: what was done; the worker's own figures, then dwstore's check
  local out
  out=$("$torture" verify "$work/kill" 2>&1) || { echo "NA $1: $out"; bad=$((bad + 1)); }
  "$dwstore" --store "$work/kill" --catalog Proef check >/dev/null || { echo "NA $1: dwstore check niet schoon"; bad=$((bad + 1)); }
}

"$torture" setup "$work/kill" 40 || exit 1
for ((i = 0; i < kills; i++)); do
  kind=${kinds[$((i % ${#kinds[@]}))]}
  "$torture" op "$work/kill" "u$((i % 8))" "$kind" "$i" >"$work/log" 2>/dev/null &
  pid=$!
  # A random moment after the start-up (the worker is then always inside an operation).
  sleep "0.$((RANDOM % 40 + 15))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  last=$(tail -n 1 "$work/log")
  case $last in BEGIN\ *) at=${last#BEGIN }; killed[$at]=$((${killed[$at]:-0} + 1)) ;; esac
  check "kill $i ($kind, in ${last:-start-up})"
done
total=0
for k in "${kinds[@]}"; do printf '%s=%s ' "$k" "${killed[$k]:-0}"; total=$((total + ${killed[$k]:-0})); done
echo; echo "Gedood midden in een bewerking: $total van $kills; mislukte controles: $bad"

for ((r = 0; r < rounds; r++)); do
  rm -rf "$work/kill"
  "$torture" setup "$work/kill" "$files" || exit 1
  pids=()
  for u in 0 1 2 3 4 5 6 7; do
    "$torture" race "$work/kill" "u$u" "$((r * 8 + u + 1000))" "$ops" >/dev/null 2>"$work/race$u.err" &
    pids+=($!)
  done
  for p in "${pids[@]}"; do wait "$p" || { echo "racer $p mislukt: $(cat "$work"/race*.err)"; bad=$((bad + 1)); }; done
  check "race round $r"
done
echo "Wedloop: $rounds ronde(n) van 8 processen x $ops bewerkingen over $files bestanden; mislukte controles: $bad"
[ "$bad" -eq 0 ]
