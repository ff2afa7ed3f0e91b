#!/usr/bin/env bash
# A Windows build folder configured for another toolchain (the 32-bit one,
# say, where the 64-bit build is wanted now) cannot be configured again in
# place: CMake keeps the first compiler. Such a folder is removed.
#
#   tools/win-build-dir.sh BUILD-DIR TOOLCHAIN-FILE
set -euo pipefail
dir=$1
toolchain=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
cache=$dir/CMakeCache.txt
[ -f "$cache" ] || exit 0
configured=$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$cache")
if [ -n "$configured" ] && [ "$(cd "$(dirname "$configured")" 2>/dev/null && pwd)/$(basename "$configured")" != "$toolchain" ]; then
  echo "win-build-dir: $dir was configured for $(basename "$configured"); starting it anew for $(basename "$toolchain")" >&2
  rm -rf "$dir"
fi
