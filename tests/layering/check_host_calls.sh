#!/usr/bin/env bash
# Only platform/host calls the operating system's file, directory and attribute calls; every
# other source of the product reaches them through velmar::host, so that a test can make any
# of them fail. Prints the offending lines and fails when a source calls one directly.
set -u
cd "$1" || exit 2
# Names that are unambiguous wherever they stand, and names that are only the system's when
# called through the global or std namespace (bare, they are also our own members).
distinct='opendir|fdopendir|readdir|closedir|lstat|fstat|fstatat|unlink|unlinkat|rmdir|mkdir|mkdirat|getxattr|lgetxattr|fgetxattr|setxattr|lsetxattr|fsetxattr|removexattr|lremovexattr|fremovexattr|listxattr|utimensat|futimens|ftruncate|flock|fcntl|readlink|readlinkat|fsync|fdatasync|pread|pwrite|lseek|fdopen|realpath|renameat2?|linkat|symlink|copy_file_range|sendfile|statx'
generic='open|openat|close|read|write|rename|link|stat|remove|chmod|fchmod|access|fopen|freopen|truncate'
hits=$(grep -rnE --include='*.cpp' --include='*.h' \
    -e "(^|[^A-Za-z0-9_.>:])(::)?($distinct)\(" \
    -e "(^|[^A-Za-z0-9_])(::|std::)($generic)\(" \
    -e "std::(i|o)?fstream" \
    platform misc tools console setup 2>/dev/null | grep -v '^platform/host/')
if [ -n "$hits" ]; then
    echo "System calls outside platform/host (call them through velmar::host):"
    echo "$hits"
    exit 1
fi
echo "no system file calls outside platform/host"
