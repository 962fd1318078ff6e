// The mark a run leaves on a port while it may be in the middle of an
// exchange: a register that has heard part of a request waits for the rest
// for its own byte time-out, and takes whatever comes meanwhile for it. The
// mark lives in a small file per port (named after the device, or after the
// port server's address) that outlives the process, so the next run to hold
// the port finds it when a run was killed or crashed with the port open. It is
// read and written only while the port's lock is held.
#pragma once

#include <cstdint>

namespace platforma {

// Right after COMn has opened: whether the run that held the port before
// left its mark (it did not close the port cleanly); the mark is then this
// run's. False, and no mark, when the port's device cannot be told.
bool PrzejecieZnacznikaPortu(uint8_t numerPortu);
// Before the port closes, once its line is clean: the mark goes.
void ZdjecieZnacznikaPortu();

}  // namespace platforma
