#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the programs need
# (the list is in programs.sh, beside every program the scripts and tests run). Safe to run
# again: it asks apt only for what is missing and says nothing when all is there. Extra
# arguments are more packages to install.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/programs.sh"

mapfile -t packages < <(dw_all_packages)
[ "$#" -gt 0 ] && packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
  fi
  echo "Installing Debian packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Every program the table names must now be there: a package that stopped providing one
# shows here, not halfway through the test suite.
dw_need "${!DW_PROGRAM_PACKAGES[@]}"
