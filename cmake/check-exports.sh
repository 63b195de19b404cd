#!/bin/sh
# Checks that a DLL's export table holds exactly the names of its .def file, undecorated.
#   check-exports.sh OBJDUMP DLL DEF
set -eu
objdump=$1; dll=$2; def=$3
want=$(mktemp); have=$(mktemp)
trap 'rm -f "$want" "$have"' EXIT
sed -n '/^EXPORTS/,$p' "$def" | sed '1d' | sed 's/^[[:space:]]*//; s/[=@[:space:]].*//' \
  | grep -v '^$' | sort > "$want"
"$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed '1d' \
  | sed 's/.*\] //' | grep -v '^$' | sort > "$have"
if ! diff -u "$want" "$have"; then
  echo "export table of $dll differs from $def" >&2
  exit 1
fi
echo "$(wc -l < "$have") exports match $def"
