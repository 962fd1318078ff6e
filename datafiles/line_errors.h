// Where a bad line or field of a data file stands: ResultCode 11 names only
// the file in the report, so the driver says on standard error which line,
// which field and why ("CENY.TXT line 4 field 2: 18 characters where 19 are
// needed"). The line readers note each line they hand out, the field readers
// why a field failed; the session's close says it when the run ends with 11.
#pragma once

#include <cstdint>
#include <string>

// A line of the marker's kind was read from the file behind the handle
// (tekst: the line without its marker); the file stands right after it.
void ZapamietanieLinii(int32_t uchwyt, const char* tekst);
// A line of the wrong kind was read and refused (surowa: the whole line);
// dlaczego empty: it was said already.
void ZapamietanieZlejLinii(int32_t uchwyt, const char* surowa, char oczekiwany, bool powiedziano);
// Field k of the line failed. The first failure of a line is the one told.
void ZapamietanieBleduPola(const char* linia, uint8_t k, const std::string& dlaczego);
// What is told for the line's failure; empty when nothing was noted.
std::string OpisBleduLinii();
// At the end of the session: says the noted failure on standard error when
// the ResultCode is 11, and forgets it.
void ZgloszenieBleduLinii();
