#!/usr/bin/env bash
# Builds the Debian package of a build directory, unpacks it into a scratch
# root and runs the driver and the demonstration from there:
#   package_test.sh CPACK BUILD
# Exit code 77 (skipped) where dpkg-deb is missing.
set -euo pipefail
cpack=$1 build=$2
if ! command -v dpkg-deb >/dev/null; then
  echo "dpkg-deb is missing: the Debian package is not checked"
  exit 77
fi
tmp=$(mktemp -d /tmp/karvo-package-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
zle() { echo "package: $*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; zle "cpack failed"; }
deb=$(ls "$tmp"/out/*.deb)
info=$(dpkg-deb --info "$deb")
for zalezy in libc6 libstdc++6; do
  grep -q "^ Depends:.*$zalezy" <<<"$info" || zle "no dependency on $zalezy: $info"
done

root=$tmp/root
dpkg-deb -x "$deb" "$root"
for plik in bin/karvo bin/karvo-sim bin/karvo-server lib/libkarvo.so include/karvo.h share/karvo/KOMENT.TXT \
    share/karvo/devices/vin-t.txt share/karvo/demo.sh share/man/man1/karvo.1 share/man/man1/karvo-sim.1 \
    share/man/man1/karvo-server.1 share/doc/karvo/guide.md share/doc/karvo/examples/ports.conf \
    share/doc/karvo/examples/KONFIG.TXT; do
  [ -e "$root/usr/$plik" ] || zle "/usr/$plik is not in the package"
done

wersja=$("$root/usr/bin/karvo" /V)
grep -q "Biblioteka KARVO wer. WIN 8.55" <<<"$wersja" || zle "karvo /V printed: $wersja"

demo=$(bash "$root/usr/share/karvo/demo.sh" 2>&1) || zle "the demonstration failed: $demo"
for oczekiwane in "Funkcja _ZTowar zakonczyla sie wynikiem 0." "Funkcja _TowarMax zakonczyla sie wynikiem 0." '$00002	Mleko 2% 1l' 'program zakonczony bezblednie'; do
  grep -qF "$oczekiwane" <<<"$demo" || zle "the demonstration did not print \"$oczekiwane\": $demo"
done
echo "package: $(basename "$deb") unpacks and runs"
