#!/usr/bin/env bash
# The three parts meet only at the session contract: nothing under Store/ includes a header
# of Control/, nothing under Control/ one of Store/, and the contract includes neither. The
# document library both read documents with (Documents/) includes none of them.
# Argument: the source tree. An include counts when it names the other folder or when the
# file it names lies in the other folder (its include root or beside the including file).
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"
fail=0
check() { # part, forbidden folders...
  local part=$1; shift
  while IFS= read -r -d '' file; do
    while IFS= read -r inc; do
      for other in "$@"; do
        if [[ "$inc" == *"$other/"* || -e "$other/$inc" ]]; then
          echo "$file includes \"$inc\", a header of $other/"
          fail=1
        fi
      done
    done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
  done < <(find "$part" -type f \( -name '*.cpp' -o -name '*.h' \) -print0)
}
check Store Control
check Control Store
check SessionContract Control Store
check Documents Control Store SessionContract
[ -d SessionContract ] || { echo "the session contract has no folder of its own"; fail=1; }
[ "$fail" -eq 0 ] && echo "layering: Store/, Control/, SessionContract/ and Documents/ keep to their own headers"
exit "$fail"
