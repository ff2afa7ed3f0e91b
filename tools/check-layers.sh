#!/usr/bin/env bash
# Includes run one way: down the layers listed in the README (the fenced
# block after "Layers, highest first"), never up. A file belongs to the
# first layer whose patterns match its path; it may include headers of its
# own layer and of every layer below. tools/layer-exceptions.txt lists the
# upward includes that are still to be taken out ("<file> -> <header>",
# with the reason after a "#"); an include not listed fails, and so does a
# listed one that no longer occurs, so that the list only shrinks.
#
#   tools/check-layers.sh            (from anywhere in the repository)
set -euo pipefail
cd "$(dirname "$0")/.."

layers=()    # layer names, highest first
patterns=()  # the patterns of each layer, space-separated
in_block=0 after_title=0
while IFS= read -r line; do
  if [[ "$line" == *"Layers, highest first"* ]]; then after_title=1; continue; fi
  if [ "$after_title" = 1 ] && [ "$in_block" = 0 ] && [[ "$line" == '```'* ]]; then in_block=1; continue; fi
  if [ "$in_block" = 1 ]; then
    [[ "$line" == '```'* ]] && break
    name=${line%%:*}
    layers+=("$(sed -E 's/^[[:space:]]+|[[:space:]]+$//g; s/[[:space:]]+/-/g' <<<"$name")")
    patterns+=("${line#*:}")
  fi
done <README.md
if [ ${#layers[@]} -lt 2 ]; then
  echo "check-layers: no layer list found in README.md (a fenced block after \"Layers, highest first\")" >&2
  exit 2
fi

# layer_of <path>: the index of its layer (0 = highest), or nothing.
layer_of() {
  local i p
  for ((i = 0; i < ${#layers[@]}; i++)); do
    for p in ${patterns[$i]}; do
      # shellcheck disable=SC2053
      if [[ "$1" == $p* ]]; then
        echo "$i"
        return 0
      fi
    done
  done
  return 0
}

declare -A allowed=() seen=()
while IFS= read -r line; do
  line=${line%%#*}
  line=$(sed -E 's/[[:space:]]+$//' <<<"$line")
  [ -n "$line" ] && allowed["$line"]=1
done <tools/layer-exceptions.txt

problems=0 checked=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  [ -n "$from" ] || continue
  checked=$((checked + 1))
  while IFS= read -r header; do
    [ -f "$header" ] || continue
    to=$(layer_of "$header")
    [ -n "$to" ] || continue
    if [ "$to" -lt "$from" ]; then
      key="$file -> $header"
      if [ -n "${allowed[$key]:-}" ]; then
        seen["$key"]=1
      else
        echo "check-layers: $file (${layers[$from]}) includes $header (${layers[$to]}), a higher layer"
        problems=$((problems + 1))
      fi
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/p' "$file")
done < <(git ls-files '*.h' '*.cpp')

for key in "${!allowed[@]}"; do
  if [ -z "${seen[$key]:-}" ]; then
    echo "check-layers: '$key' is listed in tools/layer-exceptions.txt but no longer occurs: take it out of the list"
    problems=$((problems + 1))
  fi
done
echo "check-layers: $checked files, ${#allowed[@]} upward includes still listed, $problems problems"
[ "$problems" = 0 ]
