// What the sales commands share: the sales record of goods and its output
// line, the choice between the plain and the check-byte readouts, the output
// file appended to record by record, and the register's refusals of a readout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/requests.h"

class LiniaWyniku;

// The sales record of goods: number (2 bytes, most significant first),
// quantity (4), its decimal places (1), amount (4); the record of 0xCB
// answers is the same without the number.
constexpr std::size_t DlugoscRekorduSprzedazy = 11;
constexpr std::size_t DlugoscSprzedazyTowaru = 9;
constexpr uint8_t KoniecRekordow = 0xFF;  // the first byte of a record that is not there

// The register hands out its sales with check bytes (request 0xA1) when it
// is KasaRozszerzona(); type codes 24 and 27 (KasaTypu24Lub27()) have signed
// sales, and neither packaging blocks nor discount totals.

// The parts of the sales readout: the plain form (the first part, then the
// next ones), and the check-byte form, whose parameter byte chooses the
// sales list and, with bit 7, its next part.
constexpr Rozkaz PierwszaCzescBezSum{KodRozkazu::OdczytSprzedazy, 57, 0, 0};
constexpr Rozkaz DalszaCzescBezSum{KodRozkazu::OdczytDalszejSprzedazy, 57, 0, 0};
constexpr Rozkaz CzescZSumami{KodRozkazu::OdczytRekordowZSuma, 1, 1, 62};
constexpr uint8_t WyborSprzedazy = 0x10;
constexpr uint8_t DalszaCzesc = 0x80;

// The first part of the sales readout, asked for only to learn whether the
// register still holds sales (after a clearing that has no answer of its
// own): true when the request succeeded, `pusta` when it held no record.
bool PierwszaCzescSprzedazyPusta(bool& pusta);

// The sales output line: the goods number (at least 4 digits), the quantity
// with its decimal places and the amount, from the 9 bytes at `dane`
// (quantity, decimals, amount). Signed: a set top bit makes a value negative.
// False and ResultCode 23 when the decimals byte would make the quantity
// longer than a field holds (the register cannot mean it).
bool LiniaSprzedazy(uint16_t numer, const uint8_t* dane, bool zeZnakiem, LiniaWyniku& linia);

// The records of one answer: how many whole records of `dlugosc` bytes the
// answer of `bajtyDanych` data bytes holds.
constexpr std::size_t RekordyOdpowiedzi(std::size_t bajtyDanych, std::size_t dlugosc) { return bajtyDanych / dlugosc; }

// Readouts that append: the output file is closed after the session opens and
// opened again for the records of each answer. Every line goes out whole in one
// write, and the lines of an answer are flushed to the disk together before
// the register is asked for more.
void ZamknieciePlikuWyniku();
// Opens the output file for appending at the first line of an answer (8 when
// it cannot) and writes the line (17 when it cannot).
bool DopisanieLinii(const LiniaWyniku& linia);
// Flushes the lines of the answer to the disk (17 when that fails) and closes the file.
bool ZakonczenieDopisania();

// A readout the register refuses (24) or does not serve (208) is reported as 25.
void OdmowaJakoNieobslugiwany();
