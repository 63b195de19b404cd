#!/bin/sh
# The shipped help file against its sources: check_help_file.sh CHMLS CHM SOURCE_DIR
# Every page and style sheet of SOURCE_DIR is inside the .chm, every page is reachable from the
# contents pane (under Wine the contents pane is all the viewer shows), and the help window is
# titled "Tolvane Help", the title the program's Help links look for.
set -u
chmls=$1 chm=$2 source=$3
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ -f "$chm" ] || { echo "FAIL: no help file at $chm"; exit 1; }
listing=$("$chmls" -n list "$chm" 2>/dev/null) || fail "chmls cannot list $chm"
contents="$source/Tolvane.hhc"

for file in "$source"/*.htm "$source"/*.css; do
  name=$(basename "$file")
  printf '%s\n' "$listing" | grep -qx "/$name" || fail "$name is not in the help file"
  case $name in
    *.htm) grep -q "value=\"$name\"" "$contents" || fail "$name is not in the contents" ;;
  esac
done

"$chmls" printwindows "$chm" 2>/dev/null | grep -q 'Title Bar Text *: Tolvane Help ' ||
  fail "the help window's title is not \"Tolvane Help\""
# A window that takes each page's title as its own would not be found by that title again, and
# every press of Help would open one more viewer.
styles=$("$chmls" printwindows "$chm" 2>/dev/null |
  sed -n 's/.*navigation pane styles *: *\([0-9A-Fa-f]*\).*/\1/p')
[ -n "$styles" ] && [ $((0x$styles & 0x2000)) -eq 0 ] ||
  fail "the help window changes its title to the page's (styles $styles)"
"$chmls" printsystem "$chm" 2>/dev/null | grep -q 'Title from \[options\] *:Tolvane Help *$' ||
  fail "the help file's title is not \"Tolvane Help\""

[ $failed -eq 0 ] && echo "the help file holds every page"
exit $failed
