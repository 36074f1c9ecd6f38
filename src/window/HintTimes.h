#pragma once

// Application-wide hint timing: how long the pointer rests before a hint shows, and how
// long the hint stays. Installed once; later calls change the values.
namespace HintTimes {

void apply(int delayMs, int displayMs);
int delay();
int displayTime();

} // namespace HintTimes
