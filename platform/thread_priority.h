// The process priority, requested where the process may have it and silently
// left as it is where not. No thread of the driver asks for real-time
// scheduling: its waits all block, and none wakes on a timer.
#pragma once

namespace platforma {

// The process priority class stands for the nice value of the calling thread.
int PriorytetProcesu();
void UstawPriorytetProcesu(int priorytet);
constexpr int PRIORYTET_CZASU_RZECZYWISTEGO = -20;

}  // namespace platforma
