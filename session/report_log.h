// The reports of a command that runs others (the end of the day, the sorting
// and packing): each inner command writes RAPORT.TXT anew, so the report of
// each one goes to the log before the next one begins, and the program
// appends the last as it appends every run's. Only the program keeps a log:
// a caller of the library sets none, and nothing is appended for it.
#pragma once

#include <cstdint>

// Appends a report file and the separator line to the log; 1 on success.
using DopisanieDoLogu = uint8_t (*)(const char* raport);
void UstawienieLoguRaportow(DopisanieDoLogu dopisanie);

// The report the last session wrote goes to the log now (a command is about
// to run another session, whose report will replace it), once: afterwards
// the session record names no report. Nothing without a log or a report.
void DopisanieOstatniegoRaportu();

// A command that runs others writes its own report once its session has
// opened, before any inner command has done anything: a 0 there would read
// as the whole sequence's success, also after a run killed at that moment.
// Called from that session's body when the sequence is about to run: the
// report goes beside the configured one (RAPORT.TXT stays as the session
// created it, empty, until the first inner command writes its own).
void OdlozenieRaportuSesji();
// After that session has ended: the report written aside goes, unread; the
// log gets the inner commands' reports only.
void UsuniecieOdlozonegoRaportu();
// That session failed after all (a late byte as it closed): its report is
// the run's answer, and goes where the configured report belongs.
void PrzywrocenieOdlozonegoRaportu();
