#pragma once

class QWidget;

namespace kivo {

// A debugging and testing aid, on when the environment variable KIVO_TRACE_WEIGHT is set: every
// change of the text in the weight display is printed to standard output as "WEIGHT <text>", so
// a script can see what the window shows without looking at it. Polls the display every 50 ms.
void traceWeight(QWidget &window);

} // namespace kivo
