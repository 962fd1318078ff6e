// Faults injected into a register's answers, so that every failure path of
// the driver can be reached on purpose.
//
// A fault is written  CODE[,OPTION...]:KIND[=ARGUMENT]
//   CODE     the request code (27, 0x1B) or * for every request
//   OPTION   n=N, n=N-M, n=N+   only the N-th (N-th to M-th, N-th and later)
//                               request with this code that the register receives
//            pK=V               only when parameter byte K equals V (second-answer kinds)
//            reg=A              only the register at address A
//            towar=N, towar=N-M, towar=N+   only for goods number N (N to M, N and
//                               above): parameter bytes 0 and 1, low byte first
//                               (second-answer kinds)
//   KIND     silent             no answer at all; the request is not carried out
//            refuse             0x15 instead of the acknowledgement
//            ack=B              the byte B instead of the acknowledgement, nothing more
//            garbage[=N]        N bytes of garbage instead of the first answer (N: its length)
//            raw=B,B,...        these bytes instead of the first answer
//            late=MS            the first answer starts MS milliseconds late; it stays
//                               pending meanwhile, also when the driver retries or goes
//                               away and the next one comes, and what the register
//                               answers after it waits behind it
//            cut=N              only the first N bytes of the whole answer are sent
//            hold=MS            the parameters are held MS milliseconds on their way (a
//                               driver or a line that stalls after the acknowledgement):
//                               beyond the byte time-out they come too late, the register
//                               drops the request unanswered and takes them for noise
//            linerror=N         after the first N bytes of the whole answer the line
//                               reports a framing error (over RFC 2217, in order with
//                               the data; the bytes still go out)
//            break=N            the same with a break
//            eor=R              records from number R on do not exist (end of records)
//            status=S[,B...]    status S and the bytes B instead of the second answer
//                               (status 0x7A without bytes sends its two extra bytes 0 0)
//            silent2, garbage2[=N], raw2=B,..., late2=MS   the same for the second answer
//            pad=N              a second answer whose status is not 0 (the register's own
//                               or a status= fault's) goes out padded with zero bytes to N
//                               bytes, its status included: the answer's declared length
//            check=K            the record at position K (from 1) of a readout stream goes
//                               out with a wrong check byte (requests whose records carry one)
//            badcheck           a goods record read with 0xBD carries a wrong check byte
//            stored=FIELD,V     a goods record read carries V in FIELD, as if the register
//                               had stored it (FIELD: stawka grupa atrybut jednostka
//                               znacznik1 znacznik2), as far as the family's layout holds it
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"

namespace sim {

enum class RodzajUsterki : uint8_t {
  Cisza, Odmowa, Potwierdzenie, Smieci, Surowe, Opoznienie, Ciecie, BladRamki, Przerwa, KoniecRekordow,
  Wstrzymanie,
  Cisza2, Smieci2, Surowe2, Opoznienie2, Status, Dopelnienie,
  ZlaSumaStrumienia,  // check=K: applied by the requests that hand out records with check bytes
  ZlaSuma, Zapisane,  // act on a goods record read (the goods requests apply them)
};

// The goods record fields a stored= fault replaces.
enum class PoleTowaru : uint8_t { Stawka, Grupa, Atrybut, Jednostka, Znacznik1, Znacznik2 };

struct Usterka {
  std::string zapis;  // as written, for the wire log
  int kod = -1;       // -1: every request
  int adres = -1;     // -1: every register
  uint32_t od = 1, doWystapienia = UINT32_MAX;
  int bajtParametru = -1;
  uint8_t wartoscParametru = 0;
  uint32_t towarOd = 0, towarDo = 0;  // goods numbers; 0: any
  RodzajUsterki rodzaj = RodzajUsterki::Cisza;
  uint32_t liczba = 0;  // milliseconds, byte count or record number
  Bajty bajty;          // acknowledgement, raw bytes, or status and its bytes

  // Decided once the parameters are in (it needs them or acts on the second answer).
  bool DrugaFaza() const;
  // A fault that the goods requests apply to the record they answer.
  bool NaRekordzieTowaru() const { return rodzaj == RodzajUsterki::ZlaSuma || rodzaj == RodzajUsterki::Zapisane; }
  bool Pasuje(uint8_t adresKasy, uint8_t kodRozkazu, uint32_t wystapienie) const;
  bool PasujeParametr(std::span<const uint8_t> parametry) const;
};

// The occurrences of an n= option: "N", "N-M" or "N+" (from 1).
bool CzytajWystapienia(std::string_view tekst, uint32_t& od, uint32_t& doWystapienia);

std::optional<Usterka> CzytajUsterke(std::string_view zapis, std::string& blad);

// A script file: one fault a line; ";" comment lines and empty lines are
// skipped, a leading "$" is allowed (data-file syntax).
bool WczytajUsterki(const std::string& sciezka, std::vector<Usterka>& usterki, std::string& blad);

}  // namespace sim
