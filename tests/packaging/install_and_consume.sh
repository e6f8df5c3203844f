#!/usr/bin/env bash
# Installs the build into a temporary folder, checks what lies there, builds examples/consumer
# against it with CMake and with pkg-config, and runs it on a prefix of its own.
# Usage: install_and_consume.sh <build dir> <source dir> <C++ compiler> <build type> <libdir>
set -euo pipefail
build=$1 source=$2 cxx=$3 build_type=${4:-RelWithDebInfo} libdir=${5:-lib}
work=$(mktemp -d "${TMPDIR:-/tmp}/velmar-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

root=$work/usr
cmake --install "$build" --prefix "$root" >"$work/install.log" || {
    cat "$work/install.log" >&2
    fail "cmake --install"
}

for file in bin/VelmarConsole bin/VelmarSetup bin/velmar-reg bin/velmar-sc \
    libexec/velmar/VelmarSetup libexec/velmar/setup.exe libexec/velmar/velmar-explorer \
    libexec/velmar/velmar-notepad include/velmar/misc/MiscUtilities.h \
    include/velmar/misc/registry/registry.h include/velmar/platform/registry/registry.h \
    "$libdir/libMiscUtilities.a" "$libdir/libvelmar_registry.a" \
    "$libdir/cmake/Velmar/VelmarConfig.cmake" "$libdir/cmake/Velmar/VelmarConfigVersion.cmake" \
    "$libdir/pkgconfig/velmar.pc" \
    share/man/man1/velmar-reg.1.gz share/man/man1/VelmarSetup.1.gz \
    share/bash-completion/completions/velmar-reg share/bash-completion/completions/velmar-sc; do
    [ -e "$root/$file" ] || fail "$file is not installed"
done
# VelmarSetup starts the setup.exe beside its program file: the bin entry is a link to it.
[ -L "$root/bin/VelmarSetup" ] || fail "bin/VelmarSetup is not a link"
[ "$root/bin/VelmarSetup" -ef "$root/libexec/velmar/VelmarSetup" ] ||
    fail "bin/VelmarSetup does not lead to libexec/velmar/VelmarSetup"

# Only public headers, and every quoted include of one is installed too.
internal=$(cd "$root/include/velmar" && find . -path '*internal*' -o -name '*.cpp')
[ -z "$internal" ] || fail "internal files installed: $internal"
while IFS= read -r header; do
    while IFS= read -r included; do
        [ -f "$root/include/velmar/$included" ] || fail "$header includes $included, not installed"
    done < <(sed -n 's/^#include "\(.*\)"$/\1/p' "$header")
done < <(find "$root/include/velmar" -name '*.h')

# examples/consumer against the installation: CMake's package, then pkg-config.
cmake -S "$source/examples/consumer" -B "$work/consumer" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_BUILD_TYPE="$build_type" -DCMAKE_PREFIX_PATH="$root" >"$work/configure.log" || {
    cat "$work/configure.log" >&2
    fail "configuring the consumer"
}
cmake --build "$work/consumer" >"$work/build.log" || {
    cat "$work/build.log" >&2
    fail "building the consumer"
}
flags=$(PKG_CONFIG_PATH="$root/$libdir/pkgconfig" pkg-config --cflags --libs velmar)
sanitize=()
grep -q -- '-fsanitize' <<<"$flags" && sanitize=(-fsanitize=address,undefined)
"$cxx" -std=c++20 "${sanitize[@]}" -o "$work/consumer_pc" "$source/examples/consumer/main.cpp" \
    $flags || fail "building the consumer with pkg-config"

expected='setting: hello from the consumer
suite key: Software\VELMAR Systems International'
for program in "$work/consumer/velmar_consumer" "$work/consumer_pc"; do
    prefix=$(mktemp -d "$work/prefix.XXXXXX")
    output=$(env -u DISPLAY VELMAR_PREFIX="$prefix" "$program" "$work/out/suite.reg")
    [ "$output" = "$expected" ] || fail "$program printed: $output"
    tr -d '\r' <"$work/out/suite.reg" >"$work/suite.txt"
    grep -qx 'REGEDIT4' "$work/suite.txt" || fail "no REGEDIT4 header"
    grep -qxF '[HKEY_CURRENT_USER\Software\VELMAR Systems International\Consumer]' "$work/suite.txt" ||
        fail "the export lacks the section"
    grep -qxF '"Greeting"="hello from the consumer"' "$work/suite.txt" || fail "the export lacks the value"
    # The installed tool sees what the consumer wrote.
    VELMAR_PREFIX="$prefix" "$root/bin/velmar-reg" query \
        'HKCU\Software\VELMAR Systems International\Consumer' /v Greeting |
        grep -q 'hello from the consumer' || fail "velmar-reg does not see the setting"
    rm -rf "$work/out"
done
echo "installed, consumed and checked in $work"
