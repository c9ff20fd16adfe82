#pragma once

class QWidget;

namespace kivo {

// A panel whose controls were placed in its parent's coordinates: the panel takes the bounding
// box of its controls, the controls keep their places on screen, and only the controls' own areas
// take the mouse, so a panel's empty corners never hide a neighbour.
void fitToChildren(QWidget *panel);

} // namespace kivo
