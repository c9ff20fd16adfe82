#pragma once

class QAbstractScrollArea;

namespace kivo {

// Gives a view scroll bars that draw themselves again only when their look changes, and then at
// most twice a second unless the user scrolls. A growing view moves its bars' ranges and raises
// their containers with every few lines, and each time a bar drawn in the platform's style costs
// as much as the lines it scrolls; the bars are opaque, so the window behind them is not drawn.
void useSteadyScrollBars(QAbstractScrollArea *view);

} // namespace kivo
