// Everything a command file needs: its descriptor and the body kinds, the
// field readers, the output line builder, the parameter packing and answer
// reading, the request catalogue and the engine, the register's type tests,
// the result codes and the session record, the data file functions and
// validators. A command file includes this header and nothing else of the
// driver (the layout of a command area's records lives beside its commands).
#pragma once

#include "commands/command_entry.h"
#include "commands/output_line.h"
#include "commands/parameters.h"
#include "datafiles/field_readers.h"
#include "include/karvo.h"
#include "protocol/engine.h"
#include "protocol/identification.h"
#include "protocol/requests.h"
#include "state/result_codes.h"
#include "state/session_state.h"
#include "text/codecs.h"
