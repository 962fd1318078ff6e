// Part of the session record: the exchange engine's parameter and answer
// areas and the byte-level state shared with the line primitives.
#pragma once

#include <cstdint>

struct DaneWymiany {
  uint8_t ObszarParametrow[256]{};  // parameter bytes of the next request, byte 0 first
  // Answer data from byte 0. A two-part answer of the communication module can
  // deliver more than 256 bytes, so the area has room for two whole payloads.
  uint8_t ObszarOdpowiedzi[512]{};
  uint8_t StatusRozkazu = 0;            // the register's status byte for the codes that report it as data
  uint8_t BladBajtu = 0;                // byte-error flag of the last direct-mode byte transfer
  uint32_t LicznikOdebranychBajtow = 0;  // bytes received in this exchange (direct mode)
  // How far the last request got, for a command that must know whether the
  // register may have carried it out when no status came: its parameters
  // (over a communication module, its frame) have left, and its status byte
  // has come.
  uint8_t ParametryWyslane = 0;
  uint8_t StatusOdebrany = 0;
  // This session has taken an answer, so a byte that waits before a request came after it.
  uint8_t OdpowiedzPrzyjeta = 0;
  // An exchange of this session ended without its whole answer or was followed
  // by stray bytes: what the session read is not kept in ECRTBUF.TXT.
  uint8_t WymianaNiepewna = 0;
};
