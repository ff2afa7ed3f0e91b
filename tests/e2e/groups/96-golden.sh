# === golden pictures at 96 dpi ================================================
# volmaru_golden.exe (tests/golden/golden_win.cpp, built with the tests) draws
# the program's pictures with the program's own code: the tray number for 0,
# 9, 10, 99 and 100 at 32 x 32 and reduced to the small-icon size, the mute
# picture, a number over a device picture, the meter at the bottom and at the
# right with its set-volume box, the settings window on each of its five
# pages and the version window, the windows with their frames. Each picture
# must equal its golden in tests/golden/ pixel for pixel (compare -metric AE,
# no fuzz); a picture that differs fails its group with its name and the
# count of differing pixels, and leaves the picture and a diff image
# (e2e-96-golden-<name>.png, e2e-96-golden-<name>-diff.png) in the
# screenshots folder.
#
# The goldens are 96-dpi pictures of the look the program has now, under
# this machine's Wine with the fonts of a fresh prefix. A change of the
# program's look (or of the Wine or font packages) means recording them
# anew, looking at every changed picture, and committing them:
#
#   VOLMARU_GOLDEN_RECORD=1 VOLMARU_E2E_GROUPS=96 tests/e2e/run-e2e.sh build/win
#
# writes the pictures of this run into tests/golden/ instead of comparing.
# The meter's size follows the screen's: its goldens are of the run's
# default 1920 x 1080 desktop (VOLMARU_SCREEN).
# Another resolution is run by setting Wine's LogPixels
# (HKCU\Control Panel\Desktop) and giving the program the same number; it
# draws nothing when the screen reports another resolution than it was
# given.

golden_dpi=96
golden_dir=$repo/tests/golden
golden_exe=$build/volmaru_golden.exe
golden_out=$work/golden
golden_groups="tray meter settings version"

golden_fail_all() {
  local g
  for g in $golden_groups; do fail "golden-$g" "$1"; done
}

# golden_compare <group>: every golden and every new picture whose name
# starts with <group>; one PASS or FAIL line.
golden_compare() {
  local group=$1 png name out rc count size_golden size_new problems=() n=0
  local names
  names=$( (cd "$golden_dir" && ls "$group"*.png; cd "$golden_out" && ls "$group"*.png) 2>/dev/null | sort -u)
  for png in $names; do
    name=${png%.png}
    n=$((n + 1))
    if [ ! -f "$golden_dir/$png" ]; then
      problems+=("$name: no golden")
      cp "$golden_out/$png" "$shots/e2e-96-golden-$name.png"
      continue
    fi
    if [ ! -f "$golden_out/$png" ]; then
      problems+=("$name: not drawn")
      continue
    fi
    out=$(compare -metric AE "$golden_dir/$png" "$golden_out/$png" null: 2>&1)
    rc=$?
    count=$(awk 'NR == 1 { printf "%d", $1 }' <<<"$out")
    if [ "$rc" = 0 ] && [ "$count" = 0 ]; then
      continue
    fi
    cp "$golden_out/$png" "$shots/e2e-96-golden-$name.png"
    size_golden=$(identify -format '%wx%h' "$golden_dir/$png" 2>>"$log")
    size_new=$(identify -format '%wx%h' "$golden_out/$png" 2>>"$log")
    if [ "$size_new" != "$size_golden" ]; then
      problems+=("$name: ${size_new:-?} instead of ${size_golden:-?}")
    elif [ "$rc" = 1 ]; then
      compare -metric AE "$golden_dir/$png" "$golden_out/$png" "$shots/e2e-96-golden-$name-diff.png" 2>/dev/null
      problems+=("$name: $count pixels differ")
    else
      problems+=("$name: not compared ($(head -n1 <<<"$out"))")
    fi
  done
  if [ "$n" = 0 ]; then
    fail "golden-$group" "neither goldens nor pictures"
  elif [ ${#problems[@]} -eq 0 ]; then
    pass "golden-$group"
  else
    local list
    list=$(printf '%s; ' "${problems[@]}")
    fail "golden-$group" "${list%; } (of $n pictures; see $shots/e2e-96-golden-*)"
  fi
}

golden_started=$(date +%s.%N)
if [ ! -f "$golden_exe" ]; then
  golden_fail_all "$golden_exe is missing (it is built with VOLMARU_TESTS)"
else
  # The pictures are those of the default Windows version at 96 dpi.
  set_windows_version default
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$golden_dpi" /f >>"$log" 2>&1
  rm -rf "$golden_out"
  mkdir -p "$golden_out"
  timeout 120 wine "$golden_exe" "$(winepath -w "$golden_out" 2>>"$log")" "$golden_dpi" \
    >"$work/golden.log" 2>&1 </dev/null
  golden_rc=$?
  tr -d '\r' <"$work/golden.log" >>"$log"
  converted=1
  for bmp in "$golden_out"/*.bmp; do
    [ -f "$bmp" ] || continue
    # Lossless, without the text chunks (dates) ImageMagick would add.
    convert "$bmp" -alpha off -strip "${bmp%.bmp}.png" 2>>"$log" || converted=0
    rm -f "$bmp"
  done
  if [ "$golden_rc" != 0 ]; then
    golden_fail_all "volmaru_golden.exe ended with $golden_rc: $(tr -d '\r' <"$work/golden.log" | grep 'volmaru_golden:' | tail -n 2 | tr '\n' ' ')"
  elif [ "$converted" != 1 ]; then
    golden_fail_all "a picture could not be converted (see $log)"
  elif [ "${VOLMARU_GOLDEN_RECORD:-0}" = 1 ] && [ "$VOLMARU_SCREEN" != 1920x1080 ]; then
    fail golden-record "the goldens are recorded on a 1920x1080 desktop, this run has $VOLMARU_SCREEN"
  elif [ "${VOLMARU_GOLDEN_RECORD:-0}" = 1 ]; then
    mkdir -p "$golden_dir"
    rm -f "$golden_dir"/*.png
    cp "$golden_out"/*.png "$golden_dir/"
    pass "golden-record: $(ls "$golden_out"/*.png | wc -l) pictures written to $golden_dir"
  else
    for g in $golden_groups; do
      if [ "$g" = meter ] && [ "$VOLMARU_SCREEN" != 1920x1080 ]; then
        fail golden-meter "the goldens are of a 1920x1080 desktop, this run has $VOLMARU_SCREEN"
      else
        golden_compare "$g"
      fi
    done
  fi
fi
echo "run-e2e: the golden pictures took $(awk -v s="$golden_started" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s }') s" >&2
