#!/usr/bin/env bash
# Builds the Debian package of Mensurio (optimised, without the tests) and checks it with
# lintian, which must report no error and no warning. The .deb lands in build-deb/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/tools/packages.sh"
install_packages "${MENSURIO_PACKAGE_PACKAGES[@]}"

build="$top/build-deb"
# The flags Debian builds its own packages with on this release, hardening included, in full
# (hardening=+all, as many packages ask for: it adds binding at load time). They replace
# the build's own hardening and CMake's -O3 for a release build; what the program itself
# needs on top (-ffp-contract=off) comes from CMakeLists.txt. Asked from the source folder,
# which the debugging data then names as ".".
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
for flags in CPPFLAGS CFLAGS CXXFLAGS LDFLAGS; do
  export "$flags=$(cd "$top" && dpkg-buildflags --get "$flags")"
done
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DMENSURIO_HARDENING=OFF -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
cmake --build "$build"
rm -f "$build"/mensurio_*.deb
if ! log=$(cd "$build" && cpack -G DEB 2>&1); then
  echo "$log" >&2
  exit 1
fi
deb=$(ls "$build"/mensurio_*.deb)
echo "lintian $(basename "$deb"):"
# Informational tags are shown too; README says why the ones left stay.
lintian --display-info --fail-on error,warning "$deb" 2>&1 | { grep -v 'root privileges' || true; }

# What the package installs must work as installed: unpack it and run the install checks.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
# Open to every user, as /usr is: run as root, the test starts the program as another user.
chmod 755 "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
bash "$top/tests/install/test_install.sh" --prefix "$unpacked/usr"
echo "$deb"
