#!/usr/bin/env bash
# Builds the Debian packages from the built tree with CPack, checks their contents and
# dependencies, unpacks the runtime package below a temporary root and runs its tool there.
# Usage: debian_packages.sh <build dir>
set -euo pipefail
build=$1
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is missing: not a Debian system"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/velmar-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB"
}
runtime=$(ls "$work"/velmar_*.deb) dev=$(ls "$work"/velmar-dev_*.deb)

# contains <package> <path>...: each path is in the package's list (links as "path -> target").
contains() {
    local package=$1 listing
    shift
    listing=$(dpkg-deb -c "$package" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
    for path in "$@"; do
        grep -qxF -- "$path" <<<"$listing" || fail "$(basename "$package") lacks $path"
    done
}
contains "$runtime" ./usr/bin/velmar-reg ./usr/bin/velmar-sc ./usr/bin/VelmarConsole \
    './usr/bin/VelmarSetup -> ../libexec/velmar/VelmarSetup' ./usr/libexec/velmar/VelmarSetup \
    ./usr/libexec/velmar/setup.exe ./usr/libexec/velmar/velmar-explorer \
    ./usr/libexec/velmar/velmar-notepad ./usr/share/man/man1/velmar-reg.1.gz \
    ./usr/share/man/man1/velmar-sc.1.gz ./usr/share/man/man1/VelmarSetup.1.gz \
    ./usr/share/man/man1/VelmarConsole.1.gz ./usr/share/bash-completion/completions/velmar-reg \
    ./usr/share/bash-completion/completions/velmar-sc
contains "$dev" ./usr/include/velmar/misc/MiscUtilities.h ./usr/include/velmar/platform/ui/ui.h \
    ./usr/lib/libMiscUtilities.a ./usr/lib/libvelmar_base.a \
    ./usr/lib/cmake/Velmar/VelmarConfig.cmake ./usr/lib/cmake/Velmar/VelmarTargets.cmake \
    ./usr/lib/pkgconfig/velmar.pc
dpkg-deb -c "$runtime" | grep -q ' ./usr/include/' && fail "the runtime package holds headers"
dpkg-deb -c "$dev" | grep -q ' ./usr/bin/' && fail "the development package holds programs"

[ "$(dpkg-deb -f "$runtime" Package)" = velmar ] || fail "runtime package name"
[ "$(dpkg-deb -f "$runtime" Maintainer)" = "Velmar developers" ] || fail "maintainer"
version=$(dpkg-deb -f "$runtime" Version)
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "version $version"
# dpkg-shlibdeps names what the programs link (libcurl4 only once a program downloads).
depends=$(dpkg-deb -f "$runtime" Depends)
for package in libc6 libsqlite3-0 libx11-6 libxft2; do
    grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "velmar does not depend on $package: $depends"
done
dev_depends=$(dpkg-deb -f "$dev" Depends)
for package in libsqlite3-dev libx11-dev libxft-dev; do
    grep -qE "(^|, )$package( |,|$)" <<<"$dev_depends" ||
        fail "velmar-dev does not depend on $package: $dev_depends"
done

# Unpacked below a root of its own, the tool works, and the prefix takes explorer.exe from
# that installation.
dpkg-deb -x "$runtime" "$work/root"
prefix=$work/prefix
VELMAR_PREFIX=$prefix "$work/root/usr/bin/velmar-reg" add 'HKCU\Software\Deb' /v Check /d packaged /f \
    >/dev/null || fail "the unpacked velmar-reg cannot add"
VELMAR_PREFIX=$prefix "$work/root/usr/bin/velmar-reg" query 'HKCU\Software\Deb' /v Check |
    grep -q packaged || fail "the unpacked velmar-reg cannot read back"
VELMAR_PREFIX=$prefix "$work/root/usr/bin/VelmarConsole" || fail "the unpacked VelmarConsole failed"
[ "$prefix/drive_c/windows/explorer.exe" -ef "$work/root/usr/libexec/velmar/velmar-explorer" ] ||
    fail "explorer.exe in the prefix is not the unpacked installation's"
# bin/VelmarSetup, a link, runs the setup.exe of the libexec folder it leads to (not one found
# in the current folder or PATH), headless and without waiting for the sample's pauses.
(cd "$work" && env -u DISPLAY PATH=/usr/bin:/bin VELMAR_PREFIX="$prefix" VELMAR_UI=headless \
    VELMAR_ELEVATED=1 VELMAR_SAMPLE_SETUP_MS=0 VELMAR_SAMPLE_SETUP_LOG="$work/setup.log" \
    "$work/root/usr/bin/VelmarSetup" </dev/null >/dev/null) || fail "the unpacked VelmarSetup failed"
grep -q 'is installed' "$work/setup.log" || fail "VelmarSetup did not run the installer"
echo "velmar: $depends"
echo "velmar-dev: $dev_depends"
