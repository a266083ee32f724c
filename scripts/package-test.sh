#!/usr/bin/env bash
# Builds the packages and checks them: the .deb from the Release build
# (CORVANE_BUILD_DIR, default build/), unpacked into a scratch root with
# dpkg -x, where the installed `mdb --version` and `Corvane_Config --version`
# must run; then the Windows .zip from the cross build (CORVANE_WIN_BUILD_DIR,
# default build-win/, the folder scripts/windows-test.sh uses), whose listing
# must hold the two programs, the README and the runtime licences.
# CORVANE_PACKAGE_WINDOWS=0 skips the Windows part. Packages land in the
# build folders. Exit code 0 when everything passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath -m "${CORVANE_BUILD_DIR:-build}")
win_build=$(realpath -m "${CORVANE_WIN_BUILD_DIR:-build-win}")
version=$(sed -n 's/^project(Corvane_Config VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
scratch=$(mktemp -d /tmp/corvane-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# --- Linux: .deb
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target Corvane_Config mdb
rm -f "$build"/corvane-config_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/corvane-config_"$version"_*.deb)
echo "built $deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Depends\):/  \1:/p'
dpkg -x "$deb" "$scratch/root"
for want in usr/bin/Corvane_Config usr/bin/mdb \
            usr/share/doc/corvane-config/README.md; do
  [ -f "$scratch/root/$want" ] || { echo "FAIL: .deb lacks /$want"; exit 1; }
done
got=$("$scratch/root/usr/bin/mdb" --version)
[ "$got" = "mdb $version" ] || { echo "FAIL: mdb --version: $got"; exit 1; }
got=$("$scratch/root/usr/bin/Corvane_Config" --version)
[ "$got" = "Corvane_Config $version" ] ||
  { echo "FAIL: Corvane_Config --version: $got"; exit 1; }
echo "ok   .deb unpacks; installed mdb and Corvane_Config print version $version"

[ "${CORVANE_PACKAGE_WINDOWS:-1}" = 0 ] && exit 0

# --- Windows: .zip from the cross build
cmake -S . -B "$win_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$win_build" -j2 --target Corvane_Config mdb
rm -f "$win_build"/Corvane_Config-*-win64.zip
(cd "$win_build" && cpack -G ZIP >/dev/null)
zip=$win_build/Corvane_Config-$version-win64.zip
top=Corvane_Config-$version-win64
unzip -Z1 "$zip" | sort >"$scratch/listing"
printf '%s\n' "$top/Corvane_Config.exe" "$top/mdb.exe" "$top/README.md" \
  "$top/licenses/gcc-runtime.txt" "$top/licenses/mingw-w64-runtime.txt" |
  sort >"$scratch/expected"
if ! diff "$scratch/expected" <(grep -v '/$' "$scratch/listing"); then
  echo "FAIL: $zip holds other files than expected (< expected, > found)"
  exit 1
fi
grep -q "GCC RUNTIME LIBRARY EXCEPTION" \
  <(unzip -p "$zip" "$top/licenses/gcc-runtime.txt") ||
  { echo "FAIL: the GCC runtime licence lacks its exception"; exit 1; }
echo "ok   $zip holds the programs, README and runtime licences"
