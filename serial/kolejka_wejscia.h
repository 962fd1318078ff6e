// What the driver asks of the selected port beyond the exported functions.
#pragma once

#include <cstdint>

// Bytes that have come in and wait to be read on the selected port; 0 when it
// is not open.
uint32_t BajtyWKolejceWejscia();
// ReadByte with the bytes of the answer still due, this byte included (0:
// not known): the port then waits for them as a whole instead of waking once
// a byte.
uint8_t OdczytBajtuOdpowiedzi(uint8_t* bajt, uint32_t zapowiedziane);
// WriteByte for bytes that leave one after another with no answer between
// them, in one write; answers how many were written.
uint32_t ZapisBajtow(const uint8_t* bajty, uint32_t ile);
// 1 when the last read failed because the line damaged its bytes (a framing
// or parity error, an overrun, a break) rather than for want of a byte.
uint8_t OdczytZBledemLinii();
// 1 when the selected port's far end has gone (a port server that closed the
// connection): nothing will come on it any more.
uint8_t PortZerwany();
// What the open did about the device's low-latency setting, for the trace;
// szeregowe (when given) tells whether the device has a serial driver's
// settings at all (not a pseudo-terminal or a port server).
const char* OpisOpoznieniaPortu(bool* szeregowe = nullptr);
