#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the tree a desktop expects: the files,
# the desktop entry, the AppStream metainfo, the MIME type, the icons and the manual page; then
# runs the installed program from a copy of the tree somewhere else.
# Usage: installtree_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

dest=$work/dest
if ! DESTDIR=$dest cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  fail "cmake --install failed"
  exit 1
fi
usr=$dest/usr

# Exactly these files, nothing from the tests or third-party projects.
expected="bin/corvane
share/applications/corvane.desktop
share/bash-completion/completions/corvane
share/doc/corvane/README.md
share/icons/hicolor/128x128/apps/corvane.png
share/icons/hicolor/256x256/apps/corvane.png
share/icons/hicolor/48x48/apps/corvane.png
share/icons/hicolor/scalable/apps/corvane.svg
share/man/man1/corvane.1
share/metainfo/org.corvane.Corvane.metainfo.xml
share/mime/packages/corvane.xml"
actual=$(cd "$usr" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
if [ "$actual" != "$expected" ]; then
  fail "installed files differ from the expected list"
  diff <(echo "$expected") <(echo "$actual") >&2
fi
[ -x "$usr/bin/corvane" ] || fail "bin/corvane is not executable"

# The desktop entry: valid, and with the fields launchers and file managers read.
desktop=$usr/share/applications/corvane.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects corvane.desktop"
for field in "Type=Application" "Name=Corvane" "GenericName=Fortran IDE" "Exec=corvane %F" \
             "Icon=corvane" "Categories=Development;IDE;" \
             "MimeType=application/x-corvane-project;" "StartupWMClass=Corvane"; do
  grep -qxF "$field" "$desktop" || fail "corvane.desktop lacks the line '$field'"
done

# The AppStream metainfo: valid, naming the desktop entry and this version.
metainfo=$usr/share/metainfo/org.corvane.Corvane.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate rejects the metainfo"; }
grep -q '<launchable type="desktop-id">corvane.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not launch corvane.desktop"
version=$("$usr/bin/corvane" --version | sed -n 's/^corvane //p')
grep -q "<release version=\"$version\"" "$metainfo" ||
  fail "the metainfo has no release $version (corvane --version)"

# The MIME type: shared-mime-info compiles it, with the glob and the binary plist magic.
mime=$work/mime
mkdir -p "$mime/packages"
cp "$usr/share/mime/packages/corvane.xml" "$mime/packages/"
xmllint --noout "$mime/packages/corvane.xml" || fail "corvane.xml is not well-formed XML"
if update-mime-database "$mime" >"$work/mime.log" 2>&1; then
  grep -q '^[0-9]*:application/x-corvane-project:\*\.corvane$' "$mime/globs2" ||
    fail "the MIME database has no *.corvane glob for application/x-corvane-project"
  grep -aq 'bplist00' "$mime/magic" || fail "the MIME database has no bplist00 magic"
  grep -q '^application/x-corvane-project$' "$mime/types" || fail "the MIME type is not listed"
  # A file manager's view (GIO): by the name, and by the content under another name.
  cp "$build/share/icons/hicolor/48x48/apps/corvane.png" "$work/not-a-project.corvane.png"
  printf 'bplist00\xd1\x01\x02' >"$work/renamed-project"
  printf 'bplist00' >"$work/Empty.corvane"
  for f in Empty.corvane:application/x-corvane-project renamed-project:application/x-corvane-project \
           not-a-project.corvane.png:image/png; do
    type=$(XDG_DATA_HOME=$work/none XDG_DATA_DIRS=$work:/usr/share \
           gio info -a standard::content-type "$work/${f%%:*}" | sed -n 's/.*content-type: //p')
    [ "$type" = "${f#*:}" ] || fail "${f%%:*} is seen as '$type', not ${f#*:}"
  done
else
  cat "$work/mime.log" >&2
  fail "update-mime-database rejects corvane.xml"
fi

# Icons: PNGs of the sizes their folders name (width and height in the IHDR chunk).
for size in 48 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/corvane.png
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims, not ${size}x${size}"
done
xmllint --noout "$usr/share/icons/hicolor/scalable/apps/corvane.svg" || fail "corvane.svg is not XML"

# The manual page: man renders it without warnings and names every command corvane --help lists.
man_page=$usr/share/man/man1/corvane.1
warnings=$(LC_ALL=C MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >"$work/man.txt")
[ -z "$warnings" ] || fail "man warns about corvane.1: $warnings"
commands=$("$usr/bin/corvane" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' | sort -u)
[ -n "$commands" ] || fail "corvane --help lists no commands"
for c in $commands; do
  grep -Eq "^ {7}$c( |\$)" "$work/man.txt" || fail "corvane.1 does not describe '$c'"
done
grep -q "^\.TH CORVANE 1 .*Corvane $version" "$man_page" || fail "corvane.1 is not of version $version"

# The bash completion script loads and completes a command's name, as bash-completion's loader
# would run it for "corvane bu<Tab>".
completion=$usr/share/bash-completion/completions/corvane
words=$(bash -c 'source "$1" || exit 1
  spec=$(complete -p corvane) || exit 1
  fn=$(sed -n "s/.*-F \([^ ]*\) .*/\1/p" <<<"$spec")
  COMP_WORDS=(corvane bu); COMP_CWORD=1; COMP_LINE="corvane bu"; COMP_POINT=${#COMP_LINE}
  "$fn" corvane bu corvane; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" 2>&1)
grep -qx build <<<"$words" || fail "the bash completion does not complete 'corvane bu' to build: $words"

# The installed program runs from a copy of the tree elsewhere, with nothing of the build folder
# (no run path into it, no environment pointing there).
moved=$work/elsewhere/prefix
mkdir -p "$moved"
cp -a "$usr/." "$moved/"
if readelf -d "$moved/bin/corvane" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
  fail "bin/corvane has a run path into the build folder"
fi
out=$(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" "$moved/bin/corvane" --version 2>&1)
[ "$out" = "corvane $version" ] || fail "the moved corvane --version printed '$out'"
printf 'program p\n  print *, 1\nend program p\n' >"$work/p.f90"
(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" "$moved/bin/corvane" colour p.f90) \
  | grep -q '"kind": "keyword"' || fail "the moved corvane does not colour a source file"

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "install tree: all checks passed"
