#!/usr/bin/env bash
# Writes the seed corpora of the file fuzzers from examples/ and a few edge
# cases. The first byte of each seed is its target's choice (see the target).
set -euo pipefail
cd "$(dirname "$0")"
ex=../../examples
c=corpus
rm -rf "$c"/dane "$c"/walidatory "$c"/konfig "$c"/serwer "$c"/porty "$c"/modkonf "$c"/ecrtbuf
mkdir -p "$c"/dane "$c"/walidatory "$c"/konfig "$c"/serwer "$c"/porty "$c"/modkonf "$c"/ecrtbuf
seed() {  # seed DIR NAME PREFIX-BYTES(printf format) FILE|-
  local dir=$1 name=$2 prefix=$3 file=$4
  { printf "$prefix"; if [ "$file" = - ]; then cat; else cat "$file"; fi; } >"$c/$dir/$name"
}
# Data files: read as input files (header, then data lines), as data lines,
# raw, with LF and with a terminator of the input's own.
for f in OTOWAR ZTOWAR OSPRZED ZKASJER KTOWAR ZWIAZ ZPLAT OPSPRZED ZBLOK ZKLAWISZ; do
  [ -f "$ex/$f.TXT" ] || continue
  seed dane "$f-input" '\x04' "$ex/$f.TXT"
done
seed dane data-lines '\x00' "$ex/KONFIG.TXT"
seed dane raw-lines '\x0c' "$ex/SERWER.TXT"
seed dane lf-lines '\x05' "$ex/ports.conf"
seed dane own-terminator '\x07\x01|' - <<<'$12		5|;comment|$a:b:c;d|#head|$'"'AB'"
printf '\x04#7\r\n#\r\n#\r\n$1\t\t3\r\n\r\n$after the empty line\r\n$' >"$c/dane/empty-line"
# Validators: the number forms and their edges, one text a seed behind the
# two bytes of the range check.
i=0
while IFS= read -r text; do
  printf '\x81\x10%s' "$text" >"$c/walidatory/text-$(printf %02d $i)"
  i=$((i + 1))
done <<'TEXTS'
0012
 12 
+1
1 2

$1A
H1A
1AH
0x1a
1A
 1A 
'AB'
''
'ABCDEFG'
4294967296
4294967295
256
255
0xFF
$FF
281474976710656
18446744073709551616
even
o
NONE 
3,14
,5
1,2,3
12,50
7.000
0,05
;x
  com2 ;c
FFFFFFFFFFFF
FFFFFFFFFFFFF
0x
H
$
' '
a	b:c;d
TEXTS
# KONFIG.TXT: the example and the lines the tests use.
seed konfig example '' "$ex/KONFIG.TXT"
printf '$3\tcom2:19200:mux1:3 ;c\t1\r\n$4\tCOM02:9600:MUX0:1\t1\r\n$5\tCOM1:9600:MUX0:2\t1\r\n$6\tCOM1:0:MUX0:1\t1\r\n$7\tCOM1:9600:MUX0:1:5\t1\r\n$2\tCOM1:9600:MUX2:1\t1\tModem\tT:HASLO123:0:1:2\r\n$1\tCOM1:9600:MUX5:1\t1\tModul\t127.0.0.1:7001:x:0:HASLO123:1:2\r\n' >"$c/konfig/edges"
# The Server file, for a command with (1) and without (0) an output file.
seed serwer example-out '\x01' "$ex/SERWER.TXT"
seed serwer example '\x00' "$ex/SERWER.TXT"
printf '\x01$10\n$KONFIG.TXT\n$RAPORT.TXT\n$KOMENT.TXT\n$MODKONF.TXT\n$ECRTBUF.TXT\n$4711:42\n$0\n$1\n$0\n$0\n$0\n$0\n$3\n' >"$c/serwer/lf-line14"
# ports.conf, looked up for COM1, COM4 and COM255.
seed porty example-com1 '\x01' "$ex/ports.conf"
seed porty example-com4 '\x04' "$ex/ports.conf"
printf '\xffCOM255\trfc2217://h:1\t255.255.255.255\nCOM255\tx\t1.2.3\ncom255 \t /dev/x \t 010.0.0.1\n' >"$c/porty/edges"
# MODKONF.TXT.
seed modkonf example '' "$ex/MODKONF.TXT"
printf '$atz\r\n$at+cpin=1234\r\n$+++\r\n$\r\n#bad\r\n' >"$c/modkonf/edges"
# ECRTBUF.TXT, looked up for each family of the target.
buf='$KARVO36 V05\t03\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 05\r\n$VIN 116C0042\t07\t116\tVin\t20000\tII\t02\tVin 20000 PLU II gen. ver. 02\r\n'
for b in 00 11 12 13 14 31; do printf "\\x$b$buf" >"$c/ecrtbuf/family-$b"; done
printf '\x10$KARVO36 V05\txx\t36\tKarvo\t4000\tI\t05\tKarvo 4000 PLU I gen. ver. 06\r\n$KARVO36 V05\t03\t36' >"$c/ecrtbuf/torn"
