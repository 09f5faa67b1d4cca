#!/usr/bin/env bash
# Lists the include arrows between the folders of src/ and fails when one
# runs upwards: each folder may include only from itself and from folders
# below it in the order below. A folder missing from the order fails too, so
# that a new one is placed before it is used.
#
#   scripts/include_layers.sh [SOURCE_ROOT]
set -euo pipefail

root=${1:-$(dirname "$0")/..}
cd "$root/src"

# Lowest first. mpegplay sits just below music, which plays through it.
order=(platform gfx transitions settings package picture folder display mpegplay music mirrors show
       preview config startup app)
declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done

status=0
for dir in */; do
  dir=${dir%/}
  if [[ -z ${rank[$dir]+x} ]]; then
    echo "src/$dir: not in the folder order of $0" >&2
    status=1
  fi
done

# One line per include of another src folder: from, to, file:line.
arrows=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z_]+/' --include='*.h' \
           --include='*.cpp' . |
         sed -E 's|^\./([^/]+)/([^:]*):([0-9]+):[^"]*"([^/"]+)/.*|\1 \4 src/\1/\2:\3|' |
         awk '$1 != $2')

if [[ -n $arrows ]]; then
  echo "Include arrows between src folders (from -> to: includes):"
  awk '{ n[$1 " -> " $2]++ } END { for (a in n) print "  " a ": " n[a] }' <<<"$arrows" | sort
fi

while read -r from to where; do
  [[ -z $from ]] && continue
  if [[ -z ${rank[$to]+x} ]]; then
    echo "$where: includes from $to, which is not a src folder in the order" >&2
    status=1
  elif [[ -n ${rank[$from]+x} ]] && ((rank[$to] > rank[$from])); then
    echo "$where: $from includes from $to, a folder above it" >&2
    status=1
  fi
done <<<"$arrows"

if ((status == 0)); then echo "No arrow runs upwards."; fi
exit $status
