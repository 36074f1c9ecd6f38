#pragma once

// Application-wide hint timing: how long the pointer rests before a hint shows, and how
// long the hint stays. Installed once; later calls change the values.
namespace HintTimes {

// The hint style and filter, installed once. A window calls it before it makes its
// controls: a style installed later restyles every control that exists already.
void install();
void apply(int delayMs, int displayMs);
int delay();
int displayTime();

} // namespace HintTimes
