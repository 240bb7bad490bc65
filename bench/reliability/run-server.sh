#!/usr/bin/env bash
# The reliability suite on the server store, on a throwaway PostgreSQL cluster of its own:
# one worker of each kind (check-out, check-in, undo, add, copy, rename, delete; each its own
# user) runs until it is killed (kill -9) at a random moment; in some trials the database
# server is first stopped abruptly under them (pg_ctl stop -m immediate) and started again,
# and every worker must get an operation through again by itself. After each trial the
# workers' journals are held against the store (dwtorture verify: nothing torn, nothing
# acknowledged lost, everyone can go on working) and `dwstore --server ... check` must be
# clean; at the end every file is checked out and in once more and `check --deep` reads
# every content back.
# Usage: run-server.sh DWTORTURE DWSTORE [--kills N] [--stops N] [--files N] [--kib MIN-MAX]
#   --kills  workers killed mid-operation, at the least (default 300)
#   --stops  abrupt stops of the server (default 30)
#   --files  files at the start (default 30)
#   --kib    the sizes of the contents written, in KiB (default 1024-20480: 1 to 20 MiB)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/programs.sh"
torture=$1 dwstore=$2; shift 2
kills=300 stops=30 files=30 kib=1024-20480
while [ $# -gt 0 ]; do
  case $1 in
    --kills) kills=$2; shift 2 ;;
    --stops) stops=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --kib) kib=$2; shift 2 ;;
    *) echo "onbekende optie $1" >&2; exit 2 ;;
  esac
done
pgbin=${DW_PG_BIN:-/usr/lib/postgresql/15/bin}
dw_need "$pgbin/initdb" "$pgbin/pg_ctl"
export DWTORTURE_KIB=$kib

# The cluster. Run as root, the server runs as "nobody", so its folder is not under TMPDIR
# (a test's own temporary folder is closed to other accounts). fsync is off: an immediate
# stop ends the server's processes but not the kernel's cache, so what the server wrote
# before it answered is what it finds again; that it wrote before it answered is what is
# tested.
work=$(mktemp -d "${TMPDIR:-/tmp}/dwbetrouwbaar.XXXXXX")
pgdir=$(mktemp -d /tmp/dwpg-XXXXXX)
chmod 755 "$pgdir"
as_server() { if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi; }
[ "$(id -u)" -eq 0 ] && { dw_need /usr/sbin/runuser; chown nobody "$pgdir"; }
server_stop() { as_server "$pgbin/pg_ctl" -D "$pgdir/data" -m immediate -w stop >/dev/null 2>&1; }
server_start() {
  as_server "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/log" -w -t 60 -o "-p $port -k $pgdir \
    -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=60" start >/dev/null 2>&1
}
trap 'server_stop; rm -rf "$work" "$pgdir"' EXIT
PGPASSWORD=$(head -c 24 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')
(umask 077; printf '%s\n' "$PGPASSWORD" >"$pgdir/pw")
[ "$(id -u)" -eq 0 ] && chown nobody "$pgdir/pw"
as_server "$pgbin/initdb" -D "$pgdir/data" -U dwbeheer --pwfile="$pgdir/pw" --auth-host=scram-sha-256 \
  --auth-local=peer -E UTF8 --no-sync >"$pgdir/initdb.log" 2>&1 || { cat "$pgdir/initdb.log"; exit 1; }
rm -f "$pgdir/pw"
for attempt in 1 2 3 4 5; do
  port=$((20000 + RANDOM % 30000))
  server_start && break
  [ "$attempt" -eq 5 ] && { echo "De testserver start niet: $(tail -n 5 "$pgdir/log")"; exit 1; }
done
export PGUSER=dwbeheer PGPASSWORD PGHOST=$pgdir
server=127.0.0.1:$port
mkdir -p "$work/j"
"$torture" setup "$server" "$files" "$work" >"$work/j/setup.log" || { echo "dwtorture setup mislukt: $(tail -n 5 "$work/j/setup.log")"; exit 1; }

kinds=(checkout checkin undo add copy rename delete)
declare -A killedAt
killed=0 stopped=0 trials=0 ops=0 bad=0 torn=0 lost=0 stuck=0

check() { # $1: the trial; $2: --all for every file and a deep check
  local out figures
  out=$("$torture" verify "$server" "$work/j" "$1" ${2:-} 2>&1) || { echo "NA $1:"; grep -v '^torn=' <<<"$out" | head -20; bad=$((bad + 1)); }
  figures=$(grep '^torn=' <<<"$out")
  echo "$1: ${figures:-$out}"
  for f in torn lost stuck; do
    declare -g "$f=$((${!f} + $(sed -n "s/.*\b$f=\([0-9]*\).*/\1/p" <<<"$figures" | head -1) + 0))"
  done
  "$dwstore" --server "$server" --catalog proef check ${2:+--deep} >"$work/check.out" 2>&1 ||
    { echo "NA $1: dwstore check niet schoon:"; head -n 10 "$work/check.out"; bad=$((bad + 1)); }
  # Old versions go, as a team's administrator prunes them; the journals' checks are done.
  "$dwstore" --server "$server" --catalog proef prune --keep 2 >"$work/prune.out" 2>&1 ||
    { echo "NA $1: dwstore prune: $(head -n 3 "$work/prune.out")"; bad=$((bad + 1)); }
}

trial() { # $1: the trial's name; $2: kill, or stop (the server first)
  local name=$1 k p waited last pids=() marks=()
  for k in "${!kinds[@]}"; do
    "$torture" op "$server" "u$k" "${kinds[$k]}" "$RANDOM$k" >"$work/j/$name-$k.log" 2>"$work/$name-$k.err" &
    pids+=($!)
  done
  sleep "$((RANDOM % 2 + 1)).$((RANDOM % 10))"
  if [ "$2" = stop ]; then
    server_stop || { echo "NA $name: de server stopt niet"; bad=$((bad + 1)); }
    stopped=$((stopped + 1))
    sleep "0.$((RANDOM % 10))"
    for k in "${!kinds[@]}"; do marks+=("$(wc -l <"$work/j/$name-$k.log")"); done
    server_start || { echo "NA $name: de server start niet weer: $(tail -n 5 "$pgdir/log")"; exit 1; }
    # Every worker carries on by itself: each gets an operation through after the restart
    # (within a minute).
    waited=0
    for k in "${!kinds[@]}"; do
      until tail -n "+$((marks[k] + 1))" "$work/j/$name-$k.log" | grep -q '^END .* ok'; do
        if [ "$waited" -ge 600 ] || ! kill -0 "${pids[$k]}" 2>/dev/null; then
          echo "NA $name: ${kinds[$k]} gaat niet verder na de herstart: $(tail -n 2 "$work/j/$name-$k.log" "$work/$name-$k.err")"
          bad=$((bad + 1)) stuck=$((stuck + 1))
          break
        fi
        sleep 0.1
        waited=$((waited + 1))
      done
    done
    sleep "0.$((RANDOM % 10))"
  fi
  kill -9 "${pids[@]}" 2>/dev/null
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  for k in "${!kinds[@]}"; do
    last=$(tail -n 1 "$work/j/$name-$k.log")
    case $last in BEGIN\ *) killed=$((killed + 1)) at=${last#BEGIN }; at=${at%% *}; killedAt[$at]=$((${killedAt[$at]:-0} + 1)) ;; esac
    ops=$((ops + $(grep -c '^END ' "$work/j/$name-$k.log")))
  done
  trials=$((trials + 1))
  check "$name"
}

# Stops spread over the kill trials.
while [ "$killed" -lt "$kills" ] || [ "$stopped" -lt "$stops" ]; do
  if [ "$stopped" -lt "$stops" ] && [ $((stopped * kills)) -le $((killed * stops)) ]; then
    trial "s$trials" stop
  else
    trial "k$trials" kill
  fi
done
check final --all

echo -n "Gedood midden in: "
for k in "${kinds[@]}"; do printf '%s=%s ' "$k" "${killedAt[$k]:-0}"; done
echo
echo -n "Bevestigd door de store: "
for k in "${kinds[@]}"; do printf '%s=%s ' "$k" "$(cat "$work"/j/[ks]*.log | grep -c "^END $k ok")"; done
echo
echo "Gedood midden in een bewerking: $killed; de server abrupt gestopt: $stopped; bewerkingen: $ops; proeven: $trials"
echo "Gescheurd: $torn; verloren: $lost; vastgelopen: $stuck; mislukte controles: $bad"
[ "$bad" -eq 0 ]
