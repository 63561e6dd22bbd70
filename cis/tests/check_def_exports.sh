#!/usr/bin/env bash
# check_def_exports.sh OBJDUMP DLL DEF
# Passes when the DLL exports exactly the names its .def file lists.
set -euo pipefail
objdump=$1; dll=$2; def=$3
expected=$(awk '/^EXPORTS/{on=1; next} on && NF {print $1}' "$def" | sort)
actual=$("$objdump" -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF; next} on && !/^\t/{on=0}' | sort)
if [ "$expected" != "$actual" ]; then
  echo "exports of $dll differ from $def"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports of $(basename "$dll"): $(echo "$actual" | wc -l) names"
