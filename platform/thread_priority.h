// Thread and process priorities, requested where the process may have them
// and silently left as they are where not.
#pragma once

namespace platforma {

// The calling thread at the top of the ordinary scheduling (round-robin
// real-time scheduling where permitted).
void PriorytetKrytycznyWatku();

// The process priority class stands for the nice value of the calling thread.
int PriorytetProcesu();
void UstawPriorytetProcesu(int priorytet);
constexpr int PRIORYTET_CZASU_RZECZYWISTEGO = -20;

}  // namespace platforma
