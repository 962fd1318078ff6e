#!/usr/bin/env bash
# Builds the Debian packages of a build directory, checks them with lintian
# (no error, no warning), unpacks them into a scratch root as dpkg would
# install them, and runs the demonstration and the guide's first steps from
# there:  package_test.sh CPACK BUILD
# Exit code 77 (skipped) where dpkg-deb is missing. Without lintian (installed
# by scripts/setup.sh) the rest is still checked.
set -euo pipefail
cpack=$1 build=$2
zrodla=$(cd "$(dirname "$0")/../.." && pwd)
if ! command -v dpkg-deb >/dev/null; then
  echo "dpkg-deb is missing: the Debian packages are not checked"
  exit 77
fi
tmp=$(mktemp -d /tmp/karvo-package-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
zle() { echo "package: $*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; zle "cpack failed"; }
for pakiet in karvo libkarvo1 libkarvo-dev karvo-sim; do
  compgen -G "$tmp/out/${pakiet}_*.deb" >/dev/null || zle "no package $pakiet: $(ls "$tmp/out")"
done
for pakiet in karvo libkarvo1 karvo-sim; do
  info=$(dpkg-deb --info "$tmp"/out/${pakiet}_*.deb)
  for zalezy in libc6 libstdc++6; do
    grep -q "^ Depends:.*$zalezy" <<<"$info" || zle "$pakiet does not depend on $zalezy: $info"
  done
done
grep -q "^ Depends: libkarvo1 (= " <<<"$(dpkg-deb --info "$tmp"/out/libkarvo-dev_*.deb)" ||
  zle "libkarvo-dev does not depend on its libkarvo1"

# Only a build as it is shipped is linted: a sanitizer build, or one without
# the hardening flags, is never packaged for users.
if grep -qE '^(KARVO_SANITIZE:BOOL=ON|KARVO_HARDENING:BOOL=OFF)' "$build/CMakeCache.txt"; then
  echo "package: a sanitizer or unhardened build: the packages were not linted"
elif command -v lintian >/dev/null; then
  # Errors and warnings fail the test (the information tags are shown then too).
  lintian --display-info --fail-on error,warning "$tmp"/out/*.deb >"$tmp/lintian.log" 2>&1 ||
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
    $lib/libkarvo.so.1 $lib/libkarvo.so usr/include/karvo.h usr/share/karvo/KOMENT.TXT \
    usr/share/karvo/devices/vin-t.txt usr/share/karvo/demo.sh usr/share/doc/karvo/guide.md \
    usr/share/doc/karvo/examples/ports.conf usr/share/doc/karvo/examples/KONFIG.TXT; do
  [ -e "$root/$plik" ] || zle "/$plik is not in the packages"
done
for strona in karvo karvo-sim karvo-server karvo-sim-catalogue karvo-sim-day; do
  [ -e "$root/usr/share/man/man1/$strona.1.gz" ] || zle "the manual page $strona(1) is not in the packages"
done
objdump -p "$root/$lib/libkarvo.so.1" | grep -q 'SONAME *libkarvo\.so\.1$' || zle "libkarvo.so.1 has no SONAME libkarvo.so.1"

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
