// The register's counters that one request answers as a 16-bit number
// (the last daily report, the last receipt): one output line, one field.
#pragma once

#include "protocol/requests.h"

// Body kind 1 on request `kod` (a pure read of two bytes, low byte first).
void OdczytLicznika(KodRozkazu kod);
