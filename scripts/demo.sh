#!/usr/bin/env bash
# Shows the driver and the simulated register together on a goods catalogue:
# starts karvo-sim with a copy of a ready-made register that holds a few goods
# (towary-t.txt) in a temporary directory, writes a price change with _ZTowar
# (/K23), reads the catalogue back with _TowarMax (/K21), then prints the
# output file, the report, the log and the simulator's wire log.
#
#   scripts/demo.sh [BUILD]           in the source tree (BUILD defaults to build):
#                                     builds karvo and karvo-sim there first, nothing else
#   /usr/share/karvo/demo.sh          where the programs are installed
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [ -d "$here/../sim/devices" ]; then
  cd "$here/.."
  # Only the two programs the demonstration runs: a first build takes about a
  # minute instead of the whole suite's build.
  [ -f "${1:-build}/CMakeCache.txt" ] || cmake -S . -B "${1:-build}" -G Ninja >/dev/null
  echo "== building karvo and karvo-sim in ${1:-build} =="
  cmake --build "${1:-build}" --target karvo karvo-sim
  build=$(cd "${1:-build}" && pwd)
  karvo=$build/karvo sim_program=$build/sim/karvo-sim
  devices=$PWD/sim/devices koment=$PWD/share/KOMENT.TXT
else
  # Installed: PREFIX/share/karvo/demo.sh beside the devices and KOMENT.TXT.
  prefix=$(cd "$here/../.." && pwd)
  karvo=$prefix/bin/karvo sim_program=$prefix/bin/karvo-sim
  devices=$here/devices koment=$here/KOMENT.TXT
fi
dir=$(mktemp -d)
sim=
stop() { [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null; sim=; }
trap 'stop; rm -rf "$dir"' EXIT

cp "$devices/towary-t.txt" "$dir/register.txt"
"$sim_program" --pty "$dir/COM1" --state "$dir/register.txt" --log "$dir/wire.log" >"$dir/ready" &
sim=$!
for _ in $(seq 50); do grep -q ready "$dir/ready" 2>/dev/null && break; sleep 0.1; done
grep -q ready "$dir/ready" || { echo "karvo-sim did not start" >&2; exit 1; }

printf '$7\tCOM1:9600:MUX0:1\t1\tSimulator\r\n' >"$dir/KONFIG.TXT"
printf 'COM1\t%s\n' "$dir/COM1" >"$dir/ports.conf"
cp "$koment" "$dir/KOMENT.TXT"
printf '#7\r\n#\r\n#\r\n' >"$dir/WE.TXT"
# Goods 2 at a new price, 2.99 instead of 2.89 (fields: number, name of 19
# characters, tax rate, group, attribute, unit, flag 1, barcode, price, flag 2).
{ printf '#7\r\n#\r\n#\r\n'; printf '$2\tMleko 2%% 1l        \t2\t3\t0\t7\t1\t5900000000024\t299\t1\r\n'; } >"$dir/CENY.TXT"

run() { echo "\$ karvo $*"; (cd "$dir" && KARVO_PLATFORM_DIR="$dir" timeout 30 "$karvo" "$@"); echo; }
echo "== CENY.TXT (the price change) =="; cat "$dir/CENY.TXT"
run /K23 /FCENY.TXT /Q2
run /K21 /FWE.TXT /WWY.TXT /Q2
echo "== WY.TXT (the catalogue read back) =="; cat "$dir/WY.TXT" 2>/dev/null || echo "(none)"
echo "== RAPORT.TXT =="; cat "$dir/RAPORT.TXT" 2>/dev/null || echo "(none)"
echo "== karvo.log =="; cat "$dir/karvo.log" 2>/dev/null || echo "(none)"
stop
echo "== wire log of the simulated register =="; cat "$dir/wire.log"
