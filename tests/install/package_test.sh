#!/usr/bin/env bash
# scripts/package on the build folder gives a .deb with the dependencies a desktop install needs
# and the installed files; the program in it runs.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
source_dir=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

deb=$("$source_dir/scripts/package" "$build" "$work/out") || { echo "FAIL: scripts/package failed" >&2; exit 1; }
[ -f "$deb" ] || { echo "FAIL: scripts/package printed '$deb', which is no file" >&2; exit 1; }
version=$("$build/src/corvane" --version | sed -n 's/^corvane //p')
[ "$(basename "$deb")" = "corvane_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "the package is named $(basename "$deb")"

info=$(dpkg-deb -I "$deb")
field() { sed -n "s/^ $1: //p" <<<"$info"; }
[ "$(field Package)" = corvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
# From dpkg-shlibdeps: Qt 6's libraries, libplist, the C++ run time; named: make and gfortran.
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for dep in libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libplist3 libstdc++6 libc6 make gfortran; do
  grep -qxF "$dep" <<<"$names" || fail "Depends lacks $dep: $depends"
done
grep -Eq 'libqt6core6 \(>= ' <<<"$depends" || fail "Depends has no versions from dpkg-shlibdeps: $depends"

listing=$(dpkg-deb -c "$deb")
files=$(awk '{print $NF}' <<<"$listing")
for f in ./usr/bin/corvane ./usr/share/applications/corvane.desktop \
         ./usr/share/mime/packages/corvane.xml ./usr/share/metainfo/org.corvane.Corvane.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/corvane.svg \
         ./usr/share/icons/hicolor/48x48/apps/corvane.png ./usr/share/icons/hicolor/128x128/apps/corvane.png \
         ./usr/share/icons/hicolor/256x256/apps/corvane.png ./usr/share/man/man1/corvane.1 \
         ./usr/share/doc/corvane/README.md ./usr/share/bash-completion/completions/corvane; do
  grep -qxF "$f" <<<"$files" || fail "the package lacks $f"
done
grep -q '^-rwxr-xr-x root/root .* \./usr/bin/corvane$' <<<"$listing" ||
  fail "usr/bin/corvane is not an executable owned by root"

dpkg-deb -x "$deb" "$work/root"
out=$(cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work" "$work/root/usr/bin/corvane" --version 2>&1)
[ "$out" = "corvane $version" ] || fail "the packaged corvane --version printed '$out'"

if ((failures)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package: all checks passed ($deb)"
