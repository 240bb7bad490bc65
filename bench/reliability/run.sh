#!/usr/bin/env bash
# The store's reliability suite: processes killed (kill -9) at random moments of every kind
# of operation, then 8 processes racing over the same files with random operations; the
# store's own check after each trial.
# Usage: run.sh DWTORTURE DWSTORE [--kills N] [--files N] [--ops N] [--rounds N]
#   --kills   workers to kill (default 36: three trials of one worker of each of the twelve kinds)
#   --files   files in the racing store (default 100); --ops operations per racing process
#   --rounds  racing rounds (default 1)
# run.sh DWTORTURE DWSTORE --server [OPTIONS]: the server store, with abrupt stops of the
# database server too (run-server.sh, which lists its options).
set -uo pipefail
if [ "${3:-}" = --server ]; then
  exec "$(dirname "$0")/run-server.sh" "$1" "$2" "${@:4}"
fi
torture=$1 dwstore=$2; shift 2
kills=36 files=100 ops=40 rounds=1
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
kinds=(checkout checkin undo add copy batch rename delete folder-rename folder-delete restore prune)
declare -A killed
bad=0

check() { # $1: what was done; the worker's own figures, then dwstore's check
  local out
  out=$("$torture" verify "$work/kill" 2>&1) || { echo "NA $1: $out"; bad=$((bad + 1)); }
  echo "$1: $(grep '^torn=' <<<"$out")"
  "$dwstore" --store "$work/kill" --catalog Proef check --deep >/dev/null || { echo "NA $1: dwstore check niet schoon"; bad=$((bad + 1)); }
}

"$torture" setup "$work/kill" 40 || exit 1
# Each trial starts one worker of every kind at once and kills them all at a random moment
# (each then stands somewhere inside an operation), then checks the store.
trials=$(( (kills + ${#kinds[@]} - 1) / ${#kinds[@]} ))
for ((i = 0; i < trials; i++)); do
  pids=()
  for ((k = 0; k < ${#kinds[@]}; k++)); do
    "$torture" op "$work/kill" "u$((k % 8))" "${kinds[$k]}" "$((i * 10 + k))" >"$work/log$k" 2>/dev/null &
    pids+=($!)
  done
  sleep "$((RANDOM % 2 + 1)).$((RANDOM % 10))"
  kill -9 "${pids[@]}" 2>/dev/null
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  for ((k = 0; k < ${#kinds[@]}; k++)); do
    last=$(tail -n 1 "$work/log$k")
    case $last in BEGIN\ *) at=${last#BEGIN }; killed[$at]=$((${killed[$at]:-0} + 1)) ;; esac
  done
  check "trial $i"
done
total=0
for k in "${kinds[@]}"; do printf '%s=%s ' "$k" "${killed[$k]:-0}"; total=$((total + ${killed[$k]:-0})); done
echo; echo "Gedood midden in een bewerking: $total (in $trials proeven van ${#kinds[@]} processen); mislukte controles: $bad"

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
