#!/usr/bin/env bash
# Makes the Debian package with cpack and checks it: its file list (libraries, headers,
# CMake files, both programs, desktop entry, icon, Designer plugin), that every header an
# installed header includes is in it too, its declared dependencies, that the unpacked
# libraries and plugin find each other, and that the unpacked dwfileman answers --help
# without a display.
set -euo pipefail
source "$(dirname "$0")/../../scripts/programs.sh"
# cpack calls file and dpkg-shlibdeps to find the libraries' dependencies.
dw_need cpack file dpkg-shlibdeps dpkg-deb ldd
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' > "$work/files"
fail=0
expect() {
  grep -Eq "^$1\$" "$work/files" || { echo "not in the package: $1"; fail=1; }
}
for lib in DwProjectFileManUI DwSessionContract DwFileStore; do
  expect "usr/lib/(.*/)?lib$lib\.so\.1"
  expect "usr/lib/(.*/)?lib$lib\.so"
done
for header in core/FileManUI.h SessionRegistry.h platform/ErrorReport.h platform/Prompts.h \
              platform/TextHelpers.h DwFileStore.h; do
  expect "usr/include/DwProjectFileManUI/$header"
done
for cmake in DwProjectFileManUIConfig DwProjectFileManUIConfigVersion DwProjectFileManUITargets; do
  expect "usr/lib/(.*/)?cmake/DwProjectFileManUI/$cmake\.cmake"
done
expect "usr/bin/dwfileman"
expect "usr/bin/dwstore"
expect "usr/share/applications/dwfileman\.desktop"
expect "usr/share/icons/hicolor/scalable/apps/dwfileman\.svg"
expect "usr/lib/(.*/)?qt6/plugins/designer/libDwFileManUIDesignerPlugin\.so"

dpkg-deb -x "$deb" "$work/root"
include=$work/root/usr/include/DwProjectFileManUI
while IFS= read -r header; do
  while IFS= read -r included; do
    [ -f "$include/$included" ] || [ -f "$(dirname "$header")/$included" ] ||
      { echo "${header#"$include"/} includes $included, which is not installed"; fail=1; }
  done < <(sed -n 's/^#include "\(.*\)"/\1/p' "$header")
done < <(find "$include" -name '*.h')

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libsqlite3-0; do
  [[ "$depends" == *"$package"* ]] || { echo "Depends lacks $package: $depends"; fail=1; }
done
# The installed RUNPATHs: the plugin and the libraries find the project's libraries beside
# them in the unpacked tree.
for file in $(find "$work/root/usr/lib" -name '*.so'); do
  missing=$(LD_LIBRARY_PATH='' ldd "$file" | grep -F 'libDw' | grep -F 'not found' || true)
  [ -z "$missing" ] || { echo "${file#"$work/root/"} does not find: $missing"; fail=1; }
done
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; "$work/root/usr/bin/dwfileman" --help) | grep -q -- '--location' ||
  { echo "dwfileman --help failed"; fail=1; }
exit $fail
