#pragma once

namespace kivo {

// Waits at least `seconds` while the window keeps handling events. The one wait in the program
// that runs a nested event loop; it sleeps until the next event or the deadline, so it costs no
// CPU. A monotonic clock makes it immune to midnight and clock changes.
void Delay(float seconds);

// True while a Delay runs (a nested Delay's end clears it, as the outer wait goes on).
[[nodiscard]] bool isDelaying();

} // namespace kivo
