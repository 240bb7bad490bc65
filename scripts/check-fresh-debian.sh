#!/usr/bin/env bash
# Checks that the README's two commands work on a fresh Debian 12, whatever this machine
# already has installed: makes a minimal bookworm root with debootstrap (from the Debian
# mirror this machine's apt uses), clones the commit this checkout stands on into it, and
# runs ./scripts/run.sh and then ./scripts/test.sh there as an ordinary user who may use
# sudo, without a display. Changes that are not committed are not part of the check.
#
# Needs root (or sudo) and the Debian mirror on the network; installs debootstrap here
# when it is missing. It builds and tests everything inside the root: count on an hour or
# more on two cores, and about 4 GiB of disk.
#
# Usage: scripts/check-fresh-debian.sh [--keep] [FOLDER]
#   FOLDER  where the root is made (default: a new folder under /var/tmp); it must not exist
#   --keep  keep the root after a passing check (a failing check always keeps it)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arguments=("$@")
keep=0
if [ "${1:-}" = --keep ]; then keep=1; shift; fi
root=${1:-}

if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root (or sudo) to make a Debian root." >&2; exit 1; }
  exec sudo -- "$0" "${arguments[@]}"
fi
if ! command -v debootstrap >/dev/null; then
  echo "Installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null; }
fi

# The URI that apt on this machine fetches SUITE from, in either sources format.
mirror_for() {
  local suite=$1 file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    # deb [options] URI SUITE COMPONENTS...
    sed -E 's/\[[^]]*\]//' "$file" | awk -v suite="$suite" '$1 == "deb" && $3 == suite { print $2; exit }'
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # deb822 stanzas, separated by blank lines: the first URI of a stanza serving SUITE.
    awk -v suite="$suite" 'BEGIN { RS = ""; FS = "\n" }
      { uri = ""; found = 0
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) { split(substr($i, 6), u, " "); uri = u[1] }
          if ($i ~ /^Suites:/) { n = split(substr($i, 8), s, " "); for (j = 1; j <= n; j++) if (s[j] == suite) found = 1 }
        }
        if (found && uri != "") { print uri; exit } }' "$file"
  done
}
mirror=$(mirror_for bookworm | head -n 1)
[ -n "$mirror" ] || { echo "No Debian 12 (bookworm) mirror in /etc/apt/sources.list*." >&2; exit 1; }
security=$(mirror_for bookworm-security | head -n 1)
updates=$(mirror_for bookworm-updates | head -n 1)

# The checkout may belong to the user who called sudo.
git() { command git -c safe.directory='*' "$@"; }
commit=$(git -C "$here" rev-parse HEAD)
[ -z "$(git -C "$here" status --porcelain --untracked-files=no)" ] ||
  echo "Note: this checkout has changes that are not committed; the check uses commit $commit."
if [ -z "$root" ]; then
  root=$(mktemp -d /var/tmp/dw-debian12.XXXXXX)
  rmdir "$root"
fi
[ ! -e "$root" ] || { echo "$root exists already; give a new folder." >&2; exit 1; }

mounted=()
cleanup() {
  local status=$? i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R -l "${mounted[$i]}" 2>/dev/null || true; done
  if [ "$status" -eq 0 ] && [ "$keep" -eq 0 ]; then
    rm -rf --one-file-system "$root"
  else
    echo "The root stays in $root (remove it with: sudo rm -rf --one-file-system $root)"
  fi
  exit "$status"
}
trap cleanup EXIT

echo "== debootstrap --variant=minbase bookworm from $mirror into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
  { tail -n 20 "$root.debootstrap.log" >&2; exit 1; }
rm -f "$root.debootstrap.log"
{
  echo "deb $mirror bookworm main"
  [ -z "$updates" ] || echo "deb $updates bookworm-updates main"
  [ -z "$security" ] || echo "deb $security bookworm-security main"
} >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "127.0.1.1 $(hostname)" >>"$root/etc/hosts" # sudo looks the machine's name up
# Packages must not start their services inside the root (PostgreSQL's would keep it busy);
# the tests start a cluster of their own.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

# The machine's /dev (with /dev/shm, which PostgreSQL needs), as a slave so that nothing
# mounted or unmounted under the root reaches the machine's own.
mount -t proc proc "$root/proc" && mounted+=("$root/proc")
mount -t sysfs sys "$root/sys" && mounted+=("$root/sys")
mount --rbind /dev "$root/dev" && mount --make-rslave "$root/dev" && mounted+=("$root/dev")

# A contributor: an ordinary user who may use sudo, as on a workstation.
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/root "$@"; }
echo "== a user with sudo"
in_root bash -c 'DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends sudo >/dev/null &&
  useradd --create-home --shell /bin/bash bouwer &&
  echo "bouwer ALL=(ALL) NOPASSWD: ALL" >/etc/sudoers.d/bouwer && chmod 440 /etc/sudoers.d/bouwer'
git clone --quiet --no-checkout "$here" "$root/home/bouwer/DwProjectFileManUI"
git -C "$root/home/bouwer/DwProjectFileManUI" checkout --quiet --detach "$commit"
in_root chown -R bouwer:bouwer /home/bouwer/DwProjectFileManUI

as_user() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/home/bouwer USER=bouwer LOGNAME=bouwer \
    /usr/sbin/runuser -u bouwer -- bash -c "cd ~/DwProjectFileManUI && $1"
}
echo "== ./scripts/run.sh (commit $commit)"
as_user ./scripts/run.sh
echo "== ./scripts/test.sh"
as_user ./scripts/test.sh
echo "== Both commands passed on a fresh Debian 12."
