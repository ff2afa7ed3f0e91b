#!/usr/bin/env bash
# Builds the release ZIP a user downloads and unzips:
#
#   Volmaru/Volmaru.exe            the program
#   Volmaru/RestartLoudDial.exe    its restarter
#   Volmaru/ReadMe.txt             the help text (code page 932, CRLF)
#   Volmaru/Data/                  Hand.cur, mute.ico, speaker2.ico
#
# and nothing else: no test programs, no stand-ins, no DLLs (the programs are
# linked statically and import only DLLs every Windows has; this is checked).
#
#   tools/package.sh [--from BUILD-DIR] [--out DIR]
#
# Without --from it configures and builds the release programs in
# build/release (32-bit, warnings as errors, no tests) first; with --from it
# packs the programs of an existing Windows build as they are (what the
# end-to-end checks do). The ZIP is written to DIR (default build/dist) as
# Volmaru-<version>.zip and its path printed on stdout. Exit 0 on success.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
from=
out=$repo/build/dist
while [ $# -gt 0 ]; do
  case $1 in
    --from) from=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) sed -n '2,/^set -euo/s/^# \{0,1\}//p' "$0" | sed '$d' >&2; exit 2 ;;
  esac
done

version=$(sed -n 's/^project(Volmaru VERSION \([0-9]*\.[0-9]*\).*/\1/p' "$repo/CMakeLists.txt")
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

if [ -z "$from" ]; then
  from=$repo/build/release
  cmake -S "$repo" -B "$from" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVOLMARU_WERROR=ON -DVOLMARU_TESTS=OFF >/dev/null
  cmake --build "$from" -j2 --target volmaru restart_loud_dial volmaru_data >&2
fi
from=$(cd "$from" && pwd)

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir=$stage/Volmaru
mkdir -p "$dir/Data"
for f in Volmaru.exe RestartLoudDial.exe ReadMe.txt; do
  [ -f "$from/$f" ] || { echo "package: $from/$f is missing" >&2; exit 1; }
  cp "$from/$f" "$dir/$f"
done
for f in "$repo"/resources/Data/*; do
  n=$(basename "$f")
  [ -f "$from/Data/$n" ] || { echo "package: $from/Data/$n is missing" >&2; exit 1; }
  cp "$from/Data/$n" "$dir/Data/$n"
done

# The binutils of the programs' architecture: the release is 32-bit; an
# existing build packed with --from may be the 64-bit test build.
tools=i686-w64-mingw32
i686-w64-mingw32-objdump -f "$dir/Volmaru.exe" >/dev/null 2>&1 || tools=x86_64-w64-mingw32

# Symbols are of no use to a user: smaller downloads.
$tools-strip "$dir/Volmaru.exe" "$dir/RestartLoudDial.exe"

# Only DLLs that are part of every Windows.
allowed='^(kernel32|user32|gdi32|shell32|ole32|oleaut32|winmm|comctl32|comdlg32|shlwapi|advapi32|msvcrt)\.dll$'
for exe in "$dir/Volmaru.exe" "$dir/RestartLoudDial.exe"; do
  while read -r dll; do
    if ! tr 'A-Z' 'a-z' <<<"$dll" | grep -qE "$allowed"; then
      echo "package: $(basename "$exe") needs $dll, which Windows does not bring" >&2
      exit 1
    fi
  done < <($tools-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
done

mkdir -p "$out"
zip_file=$(cd "$out" && pwd)/Volmaru-$version.zip
rm -f "$zip_file"
# -X: no Unix extra fields; the names are ASCII, so every unzip reads them.
(cd "$stage" && find Volmaru | LC_ALL=C sort | zip -X -q "$zip_file" -@)
echo "$zip_file"
