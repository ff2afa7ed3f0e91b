#!/usr/bin/env bash
# The shipped programs must start on Windows XP SP3: an import of a function
# that XP lacks stops the loader before the program runs at all ("The
# procedure entry point ... could not be located"). This lists what each
# program imports and fails on any function that the MinGW-w64 headers
# declare only for Windows versions after XP: the set is derived from the
# headers themselves, as the functions declared at _WIN32_WINNT 0x0A00 and
# not at 0x0501. Newer functions are to be found at run time (GetProcAddress)
# with a fallback for XP.
#
#   tools/check-imports.sh PROGRAM.exe...     (32-bit programs)
#
# It also checks that each program is marked terminal-server aware (so that
# Remote Desktop sessions run it without compatibility shims).
#
# Prints one line per program; exit 0 when none imports a newer function
# and every one is marked.
set -uo pipefail
[ $# -gt 0 ] || { sed -n '2,/^set -uo/s/^# \{0,1\}//p' "$0" | sed '$d' >&2; exit 2; }
cxx=i686-w64-mingw32-g++
objdump=i686-w64-mingw32-objdump
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every header of the system DLLs the programs may use.
cat >"$work/all.h" <<'H'
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <ole2.h>
#include <oleauto.h>
#include <uxtheme.h>
#include <imm.h>
#include <wtsapi32.h>
H
declared() {  # declared WINNT NTDDI: the __stdcall functions the headers declare at that level
  "$cxx" -std=c++20 -E -P -D_WIN32_WINNT="$1" -DWINVER="$1" -DNTDDI_VERSION="$2" -x c++ "$work/all.h" 2>/dev/null |
    tr '\n' ' ' | grep -oE '__stdcall__\)\) *[A-Za-z_][A-Za-z0-9_]* *\(' |
    sed -E 's/__stdcall__\)\) *//; s/ *\($//' | sort -u
}
declared 0x0501 0x05010300 >"$work/xp.txt"
declared 0x0A00 0x0A000000 >"$work/all.txt"
comm -13 "$work/xp.txt" "$work/all.txt" >"$work/newer.txt"
if [ "$(wc -l <"$work/xp.txt")" -lt 1000 ] || [ "$(wc -l <"$work/newer.txt")" -lt 100 ]; then
  echo "check-imports: the headers gave no usable declarations (is $cxx installed?)" >&2
  exit 2
fi

bad=0
for exe in "$@"; do
  if ! "$objdump" -p "$exe" >"$work/dump.txt" 2>/dev/null; then
    echo "check-imports: $exe is no 32-bit Windows program" >&2
    bad=1
    continue
  fi
  # The import tables: "\t<rva>\t <hint>  <name>" lines after each DLL Name.
  awk '/DLL Name:/ { dll = $3; next } dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }
       /^$/ { }' "$work/dump.txt" | sort -u >"$work/imports.txt"
  found=$(comm -12 "$work/imports.txt" "$work/newer.txt" | tr '\n' ' ')
  n=$(wc -l <"$work/imports.txt")
  if ! grep -q 'TERMINAL_SERVICE_AWARE' "$work/dump.txt"; then
    echo "check-imports: $(basename "$exe") is not marked terminal-server aware (link with --tsaware)"
    bad=1
  fi
  if [ -n "$found" ]; then
    echo "check-imports: $(basename "$exe") imports functions Windows XP lacks: $found"
    bad=1
  else
    echo "check-imports: $(basename "$exe"): $n imported functions, none newer than Windows XP"
  fi
done
exit "$bad"
