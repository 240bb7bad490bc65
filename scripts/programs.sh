# Sourced by the scripts and the test scripts: every program that the build, the test
# suite, the benchmarks and the scripts run, with the Debian 12 package that provides it,
# and `dw_need`, which stops the calling script with the package's name when a program is
# missing. install-deps.sh installs every package named here.
#
#   source "$(dirname "$0")/programs.sh"   # or the path from the caller's folder
#   dw_need cpack file dpkg-deb

# program (a name looked up on PATH, or an absolute path) -> Debian package
declare -gA DW_PROGRAM_PACKAGES=(
  # building
  [cmake]=cmake [ctest]=cmake [cpack]=cmake
  [ninja]=ninja-build [pkg-config]=pkg-config
  [c++]=g++ [g++]=g++ [clang++]=clang
  # the Debian package and the checks of the libraries
  [file]=file [dpkg-deb]=dpkg [dpkg-shlibdeps]=dpkg-dev
  [nm]=binutils [readelf]=binutils [objcopy]=binutils [ldd]=libc-bin
  # the server store's tests start a throwaway PostgreSQL 15 cluster (the package also holds
  # pg_trgm, the extension the server store's search is made with)
  [/usr/lib/postgresql/15/bin/initdb]=postgresql-15 [/usr/lib/postgresql/15/bin/pg_ctl]=postgresql-15
  [/usr/sbin/runuser]=util-linux
  # send-to by e-mail and opening a working copy with the desktop's application
  [xdg-email]=xdg-utils [xdg-open]=xdg-utils
  # the store benchmark's peer and its baselines
  # the certificates of the TLS test cluster
  [openssl]=openssl
  # the check that no password shows in the process list
  [ps]=procps
  [svn]=subversion [svnadmin]=subversion [cp]=coreutils [sync]=coreutils
)

# Packages without a program of their own: libraries and headers to build against, the
# font that offscreen rendering draws with, and Qt's own Dutch texts (standard buttons).
DW_LIBRARY_PACKAGES=(
  build-essential
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-pdf-dev libgl-dev
  libsqlite3-dev libssl-dev libpq-dev libgtest-dev
  libclang-rt-14-dev
  fonts-dejavu-core qt6-translations-l10n
)

# Every package, each once, in a stable order.
dw_all_packages() {
  printf '%s\n' "${DW_LIBRARY_PACKAGES[@]}" "${DW_PROGRAM_PACKAGES[@]}" | sort -u
}

# The package that provides PROGRAM; "?" when the table does not know it.
dw_package_of() {
  echo "${DW_PROGRAM_PACKAGES[$1]:-?}"
}

# True when PROGRAM (a name on PATH or an absolute path) can be run.
dw_have() {
  if [[ "$1" == /* ]]; then [ -x "$1" ]; else command -v "$1" >/dev/null 2>&1; fi
}

# Stops the calling script (status 127) naming each missing program and its package.
dw_need() {
  local program missing=() packages=()
  for program in "$@"; do
    dw_have "$program" && continue
    missing+=("$program")
    packages+=("$(dw_package_of "$program")")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  local i
  for i in "${!missing[@]}"; do
    if [ "${packages[$i]}" = "?" ]; then
      echo "Het programma ${missing[$i]} ontbreekt." >&2
    else
      echo "Het programma ${missing[$i]} ontbreekt; het komt uit het Debian-pakket ${packages[$i]}." >&2
    fi
  done
  echo "Installeer wat ontbreekt met ./scripts/install-deps.sh" \
       "(of: sudo apt-get install $(printf '%s\n' "${packages[@]}" | grep -vx '?' | sort -u | paste -sd ' ' -))." >&2
  exit 127
}
