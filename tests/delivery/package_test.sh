#!/usr/bin/env bash
# Builds the Debian source package and its four binary packages with
# dpkg-buildpackage from a copy of the source tree, checks them with lintian
# (no error, no warning), unpacks them into a scratch root as dpkg would
# install them, and runs the demonstration and the guide's first steps from
# there:  package_test.sh SOURCES BUILD
# The copy lies at a fixed place in BUILD, so that the compiler cache (used
# when /usr/lib/ccache exists) finds a second build's objects. The package's
# own unit tests are left out here (nocheck): the suite runs them anyway.
# Exit code 77 (skipped) where dpkg-buildpackage or debhelper is missing.
# Without lintian (installed by scripts/setup.sh) the rest is still checked.
set -euo pipefail
zrodla=$(cd "$1" && pwd) build=$(cd "$2" && pwd)
if ! command -v dpkg-buildpackage >/dev/null || ! command -v dh >/dev/null; then
  echo "dpkg-buildpackage or debhelper is missing: the Debian packages are not built"
  exit 77
fi
tmp=$(mktemp -d /tmp/karvo-package-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
zle() { echo "package: $*" >&2; exit 1; }

wersja=$(dpkg-parsechangelog -l "$zrodla/debian/changelog" -S Version)
miejsce=$build/deb
kopia=$miejsce/karvo-$wersja
rm -rf "$miejsce"/*.deb "$miejsce"/*.changes "$miejsce"/*.buildinfo "$miejsce"/*.tar.* "$miejsce"/*.dsc
mkdir -p "$kopia"
# The tree as it stands (the files git knows and new ones it does not ignore);
# the debhelper build directory of an earlier run is kept for the cache's sake.
find "$kopia" -mindepth 1 -maxdepth 1 ! -name 'obj-*' -exec rm -rf {} +
if git -C "$zrodla" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$zrodla" && git ls-files -co --exclude-standard -z | xargs -0 -r ls -d 2>/dev/null | tar -cf - -T -) | tar -C "$kopia" -xf -
else
  (cd "$zrodla" && tar --exclude=./build --exclude='./build-*' -cf - .) | tar -C "$kopia" -xf -
fi
sciezka=$PATH
[ -d /usr/lib/ccache ] && sciezka=/usr/lib/ccache:$PATH
(cd "$kopia" && PATH=$sciezka DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc) \
  >"$tmp/build.log" 2>&1 || { tail -60 "$tmp/build.log"; zle "dpkg-buildpackage failed"; }
mkdir -p "$tmp/out"
cp "$miejsce"/*.deb "$tmp/out/"
for pakiet in karvo libkarvo1 libkarvo-dev karvo-sim karvod; do
  compgen -G "$tmp/out/${pakiet}_*.deb" >/dev/null || zle "no package $pakiet: $(ls "$tmp/out")"
done
compgen -G "$miejsce/karvo_$wersja.dsc" >/dev/null || zle "no source package karvo_$wersja.dsc"
# The Depends come from dpkg-shlibdeps: the libraries the programs link, at
# the versions their symbols need, whatever the build host has.
for pakiet in karvo libkarvo1 karvo-sim; do
  info=$(dpkg-deb --info "$tmp"/out/${pakiet}_*.deb)
  for zalezy in libc6 libstdc++6; do
    grep -q "^ Depends:.*$zalezy" <<<"$info" || zle "$pakiet does not depend on $zalezy: $info"
  done
done
grep -q "^ Depends: libkarvo1 (= $wersja)" <<<"$(dpkg-deb --info "$tmp"/out/libkarvo-dev_*.deb)" ||
  zle "libkarvo-dev does not depend on its libkarvo1"

# The packages are built with dpkg-buildflags' hardening whatever BUILD is.
if command -v lintian >/dev/null; then
  # Errors and warnings fail the test (the information tags are shown then too).
  lintian --display-info --fail-on error,warning "$miejsce"/karvo_*.changes >"$tmp/lintian.log" 2>&1 ||
    { cat "$tmp/lintian.log"; zle "lintian found errors or warnings"; }
else
  echo "package: lintian is missing (scripts/setup.sh installs it): the packages were not linted"
fi

# Unpacked as dpkg installs them: every package into one root.
root=$tmp/root
for deb in "$tmp"/out/*.deb; do dpkg-deb -x "$deb" "$root"; done
multiarch=$(gcc -print-multiarch 2>/dev/null || true)
lib=usr/lib${multiarch:+/$multiarch}
for plik in usr/bin/karvo usr/bin/karvo-sim usr/bin/karvo-server usr/bin/karvo-sim-catalogue usr/bin/karvo-sim-day \
    $lib/libkarvo.so.1 $lib/libkarvo.so $lib/pkgconfig/karvo.pc usr/include/karvo.h usr/share/karvo/KOMENT.TXT \
    usr/share/karvo/devices/vin-t.txt usr/share/karvo/demo.sh usr/share/doc/karvo/guide.md \
    usr/share/doc/karvo/examples/ports.conf usr/share/doc/karvo/examples/KONFIG.TXT; do
  [ -e "$root/$plik" ] || zle "/$plik is not in the packages"
done
for strona in karvo karvo-sim karvo-server karvo-sim-catalogue karvo-sim-day; do
  [ -e "$root/usr/share/man/man1/$strona.1.gz" ] || zle "the manual page $strona(1) is not in the packages"
done
# The service: its program, unit, configuration and page.
for plik in usr/sbin/karvod lib/systemd/system/karvod.service etc/default/karvod etc/karvod/KONFIG.TXT \
    etc/karvod/ports.conf usr/share/man/man8/karvod.8.gz; do
  [ -e "$root/$plik" ] || zle "/$plik is not in the karvod package"
done
"$root/usr/sbin/karvod" --version | grep -qx "karvod $wersja" || zle "karvod --version: $("$root/usr/sbin/karvod" --version)"
objdump -p "$root/$lib/libkarvo.so.1" | grep -q 'SONAME *libkarvo\.so\.1$' || zle "libkarvo.so.1 has no SONAME libkarvo.so.1"
grep -qx "Version: $wersja" "$root/$lib/pkgconfig/karvo.pc" || zle "karvo.pc: $(cat "$root/$lib/pkgconfig/karvo.pc")"
grep -qx "libdir=/$lib" "$root/$lib/pkgconfig/karvo.pc" || zle "karvo.pc: $(cat "$root/$lib/pkgconfig/karvo.pc")"
"$root/usr/bin/karvo" --version | grep -qx "karvo $wersja (library WIN 8.55)" || zle "karvo --version: $("$root/usr/bin/karvo" --version)"

wersja=$("$root/usr/bin/karvo" /V)
grep -q "Biblioteka KARVO wer. WIN 8.55" <<<"$wersja" || zle "karvo /V printed: $wersja"

demo=$(bash "$root/usr/share/karvo/demo.sh" 2>&1) || zle "the demonstration failed: $demo"
for oczekiwane in "Funkcja _ZTowar zakonczyla sie wynikiem 0." "Funkcja _TowarMax zakonczyla sie wynikiem 0." '$00002	Mleko 2% 1l' 'program zakonczony bezblednie'; do
  grep -qF "$oczekiwane" <<<"$demo" || zle "the demonstration did not print \"$oczekiwane\": $demo"
done

# The guide's first steps, with the programs and files of the root.
bash "$zrodla/scripts/guide.sh" --root "$root" --only first "$zrodla/docs/guide.md" >"$tmp/guide.log" 2>&1 ||
  { cat "$tmp/guide.log"; zle "the guide's first steps did not run from the packages"; }
echo "package: $(cd "$tmp/out" && echo *.deb) install and run"
