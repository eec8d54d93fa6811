#!/usr/bin/env bash
# Installs the programs into a temporary DESTDIR and checks the installed tree, the desktop
# entries, the help page beside the mailer and an uninstall that removes only what was installed.
#   install_test.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=/opt/quillpost2-test
top=$root$prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix "$prefix" --component programs >/dev/null

programs=(quillpost2:Quillpost2)
[ -x "$build/Vivove" ] && programs+=(vivove:Vivove)
for entry in "${programs[@]}"; do
  name=${entry%%:*} program=${entry#*:}
  [ -x "$top/lib/quillpost2/$program" ] || fail "$program is not installed"
  [ "$(readlink "$top/bin/$name")" = "../lib/quillpost2/$program" ] || fail "launcher $name"
  [ "$(readlink -f "$top/bin/$name")" = "$(readlink -f "$top/lib/quillpost2/$program")" ] ||
    fail "launcher $name does not reach its program"
  desktop=$top/share/applications/$name.desktop
  desktop-file-validate "$desktop" || fail "$name.desktop does not validate"
  grep -qx "Exec=$prefix/bin/$name" "$desktop" || fail "$name.desktop runs the wrong program"
  grep -qx "Icon=$name" "$desktop" || fail "$name.desktop names the wrong icon"
  grep -qx "Terminal=false" "$desktop" || fail "$name.desktop opens a terminal"
  for size in 48 256; do
    icon=$top/share/icons/hicolor/${size}x$size/apps/$name.png
    [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$icon is no PNG"
    # The PNG header holds the width and height as 32-bit big-endian numbers at 16 and 20.
    side=" 0 0 $((size >> 8)) $((size & 255))"
    [ "$(od -An -tu1 -j16 -N8 "$icon" | tr -s ' ')" = "$side$side" ] ||
      fail "$icon is not $size x $size"
  done
done
grep -qx 'Categories=Network;Email;' "$top/share/applications/quillpost2.desktop" ||
  fail "quillpost2.desktop categories"

# The mailer opens help/index.html in the folder of its program file; the launcher resolves
# to that folder.
help=$(dirname "$(readlink -f "$top/bin/quillpost2")")/help/index.html
cmp -s "$help" "$source/resources/help/index.html" || fail "the help page is not beside the mailer"

# What the user made after installing stays: the account file beside the programs and a
# settings file elsewhere.
echo accounts >"$top/lib/quillpost2/quill2.smt"
mkdir -p "$root/home/.config/Quillpost2"
echo settings >"$root/home/.config/Quillpost2/HKEY_CURRENT_USER.reg"
DESTDIR=$root cmake -DMANIFEST="$build/install_manifest_programs.txt" \
  -P "$source/cmake/Uninstall.cmake" >/dev/null
left=$(cd "$root" && find . -type f -o -type l | sort)
expected=$(printf '%s\n' "./home/.config/Quillpost2/HKEY_CURRENT_USER.reg" \
  ".$prefix/lib/quillpost2/quill2.smt" | sort)
[ "$left" = "$expected" ] || fail "uninstall left: $left"

# Without the account file the program folder goes too.
DESTDIR=$root cmake --install "$build" --prefix "$prefix" --component programs >/dev/null
DESTDIR=$root cmake -DMANIFEST="$build/install_manifest_programs.txt" \
  -P "$source/cmake/Uninstall.cmake" >/dev/null
[ ! -e "$top/lib/quillpost2/help" ] || fail "the help folder stayed"
[ -e "$top/lib/quillpost2/quill2.smt" ] || fail "the account file went"
rm "$top/lib/quillpost2/quill2.smt"
DESTDIR=$root cmake --install "$build" --prefix "$prefix" --component programs >/dev/null
DESTDIR=$root cmake -DMANIFEST="$build/install_manifest_programs.txt" \
  -P "$source/cmake/Uninstall.cmake" >/dev/null
[ ! -e "$top/lib/quillpost2" ] || fail "the empty program folder stayed"
echo "install test passed"
