// One open serial line behind a small interface, whatever carries it: a local
// tty or a port of a network port server reached over RFC 2217. The values
// follow the reference platform's communications API (line settings, the five
// time-outs, event masks, modem-line bits, line-error flags), so the port
// object above keeps that platform's order and meaning while the calls change.
// Every operation returns 0 or an errno code unless it says otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace platforma {

struct UstawieniaLinii {
  uint32_t predkosc = 0;    // bit/s
  uint8_t parzystosc = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
  uint8_t bityStopu = 0;    // 0 one, 1 one and a half, 2 two
  uint8_t bityDanych = 8;   // 5..8
  bool kontrolaCTS = false;  // output waits for CTS
};

// The five time-outs in milliseconds.
struct CzasyLinii {
  uint32_t odstepOdczytu = 0, mnoznikOdczytu = 0, stalaOdczytu = 0, mnoznikZapisu = 0, stalaZapisu = 0;
};
constexpr uint32_t BEZ_LIMITU = 0xFFFFFFFFu;  // "no interval limit"

// How a transfer went, in the terms of an overlapped transfer: finished when
// started, finished after waiting, failed when started, failed while waiting,
// or ended by Przerwij.
enum class PrzebiegTransferu : uint8_t { OdRazu, PoOczekiwaniu, BladStartu, BladOczekiwania, Przerwany };
struct WynikTransferu {
  PrzebiegTransferu przebieg = PrzebiegTransferu::OdRazu;
  uint32_t przeniesiono = 0;
  int kod = 0;  // ETIMEDOUT or EAGAIN when fewer bytes moved than asked, EINTR for a signal
  // Line-error flags (below) the device reported while the bytes of a read
  // came in: those bytes may be damaged.
  uint32_t bledyLinii = 0;
};

// Whether the device hands received bytes over at once (the low-latency
// setting of a USB adapter's driver), as the open found and left it: set by
// the open, already set, refused by a serial driver, or no serial driver's
// settings at all (a pseudo-terminal, a port server).
enum class NiskieOpoznienie : uint8_t { Wlaczone, JuzBylo, Odmowa, Niedostepne };
// Modem input lines.
constexpr uint8_t LINIA_CTS = 0x10, LINIA_DSR = 0x20, LINIA_RI = 0x40, LINIA_DCD = 0x80;
// Line-error flags.
constexpr uint32_t BLAD_PRZEPELNIENIE_WEJSCIA = 0x01, BLAD_NADPISANIE = 0x02, BLAD_PARZYSTOSCI = 0x04,
                   BLAD_RAMKI = 0x08, BLAD_PRZERWA = 0x10, BLAD_PELNE_WYJSCIE = 0x100;

// What the device holds: the bytes received and not yet read (the output
// queue is asked for only where a wait needs it, Oproznij).
struct StanKolejek {
  uint32_t wejscie = 0;
};

enum class Sterowanie : uint8_t { DTR, RTS };

class Linia {
 public:
  virtual ~Linia() = default;

  // Read-modify-write of the line settings; the rest of the device's settings stay.
  virtual int UstawParametry(const UstawieniaLinii& ustawienia) = 0;
  virtual int UstawKolejki(uint32_t wejscie, uint32_t wyjscie) = 0;
  int OdczytajCzasy(CzasyLinii& czasy) const;
  int UstawCzasy(const CzasyLinii& czasy);
  virtual int Czysc(bool wyjscie, bool wejscie) = 0;

  // Transfers bounded by the time-outs; Przerwij and a signal that asks the
  // process to end (platform/process.h) end their waits at once. A read takes
  // up to ile bytes and ends as soon as najmniej have come, its time-outs
  // counted for najmniej. zapowiedziane are the bytes due as one answer (0:
  // not known): while fewer have come, the read first sleeps for the line
  // time of the missing ones (never past its time-out), so that one read
  // takes them all and the caller is woken once, not once a byte. Once
  // StanModemu has seen the carrier on, a read ends at once (kod ENOLINK)
  // when the carrier falls: a dropped call is not waited out to its time-out.
  virtual WynikTransferu Zapisz(const uint8_t* bajty, uint32_t ile) = 0;
  virtual WynikTransferu Czytaj(uint8_t* bajty, uint32_t ile, uint32_t najmniej, uint32_t zapowiedziane = 0) = 0;
  // Waits until the output queue has gone out (bounded by the write time-out).
  virtual int Oproznij() = 0;

  virtual int UstawSterowanie(Sterowanie linia, bool wlaczona) = 0;
  // Also starts (carrier on) or ends (off) the watch of the carrier by the reads.
  virtual int StanModemu(uint8_t& stan) = 0;
  // The far end has gone (a port server that closed the connection): the line carries nothing more.
  virtual bool Zerwana() { return false; }
  // Fetches and clears the line-error flags and reports the queue fill.
  virtual int WyczyscBledy(uint32_t& flagi, StanKolejek& stan) = 0;
  virtual NiskieOpoznienie Opoznienie() const { return NiskieOpoznienie::Niedostepne; }

  // Ends every wait on this line, now and later; safe from any thread.
  virtual void Przerwij() = 0;
  virtual intptr_t Uchwyt() const = 0;

 protected:
  CzasyLinii Czasy() const;

 private:
  mutable std::mutex blokadaCzasow_;
  CzasyLinii czasy_;
};

// How a read of ile bytes is bounded under the given time-outs.
struct TerminyOdczytu {
  bool odRazu = false;                 // return at once with what is queued
  bool pierwszyZnakKonczy = false;     // return as soon as anything arrived
  std::optional<uint32_t> calkowity;   // ms for the whole read
  std::optional<uint32_t> odstep;      // ms between two bytes
};
TerminyOdczytu TerminyDlaOdczytu(const CzasyLinii& czasy, uint32_t ile);
// The microseconds ile bytes take on the line: a start bit, the data bits,
// the parity bit if any and the stop bits each.
uint64_t CzasBajtowUs(const UstawieniaLinii& ustawienia, uint32_t ile);
std::optional<uint32_t> TerminDlaZapisu(const CzasyLinii& czasy, uint32_t ile);

enum class RodzajBleduOtwarcia : uint8_t { Brak, BrakUrzadzenia, OdmowaDostepu, ZlyUchwyt, Inny };

// Opens a port by its reference device name ("\\.\COMn", "COMn", "Comn"):
// exclusive, read and write, through the port map. Returns 0 or the error code
// with its kind.
int OtworzLinie(const std::string& nazwa, std::unique_ptr<Linia>& linia, RodzajBleduOtwarcia& rodzaj);

}  // namespace platforma
