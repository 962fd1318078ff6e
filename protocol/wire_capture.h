// The wire capture: every byte the driver sends and receives on the line to
// the register, in order, with its time from the start of the run, and the
// line's events (open, close, speed, parity, control and modem lines), in the
// readable form of the simulator's wire log. Off unless the environment names
// a file for the run (KARVO_WIRE=path); the file is appended to, one block per
// run under a header, so a technician can send us what the register did.
// The line primitives call it in one place each; when it is off, each call
// costs one test of a flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class StronaPodsluchu : uint8_t { Wyslane, Odebrane };

namespace podsluch {
// The flag the line primitives test before they call anything below.
extern bool Wlaczony;
}  // namespace podsluch

inline bool PodsluchWlaczony() { return podsluch::Wlaczony; }

// Reads KARVO_WIRE; when it names a file, opens it for appending and writes
// the run's header (date, command line, version). A file that cannot be
// written is said on standard error and the run goes on without a capture.
void RozpoczeciePodsluchu(int argc, const char* const* argv);
// Names the file directly (tests); nullptr or "" switches the capture off.
void RozpoczeciePodsluchuDoPliku(const char* sciezka, int argc, const char* const* argv);
// Writes what is still gathered and closes the file.
void ZakonczeniePodsluchu();

// Bytes that crossed the line; kto names the far end ("COM1", "tcp").
void PodsluchBajtow(StronaPodsluchu strona, const char* kto, const uint8_t* bajty, std::size_t ile);
// The driver is about to wait for the far end: what it sent is written out,
// so a run killed while it waits still leaves its request in the capture.
void PodsluchPrzedOczekiwaniem();
// Puts the capture around the serial port the line primitives use (when on).
void PodsluchPortuSzeregowego();
// A line event ("open at 9600 bit/s, parity 2").
void PodsluchZdarzenia(const char* kto, const std::string& tekst);
// The KONFIG.TXT line the run uses, as a header line.
void PodsluchLiniiKonfiguracji(const char* linia);
// The name of the serial port in use, for the bytes' lines ("COM1").
const char* NazwaPortuPodsluchu();
