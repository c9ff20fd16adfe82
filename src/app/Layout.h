#pragma once

namespace kivo {

// Geometry of the traffic views, in twips, as a pure function of the window size, the selected
// view tab and the splitter position. W and H are the window's outer size (frame, caption and
// menu included); the main window adds its frame allowance to the client size before calling.
struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect &) const = default;
};

struct ViewLayout
{
    int portStripWidth = 0;
    TwipRect asc;   // ASCII view
    TwipRect hex;   // hex view
    TwipRect hyper; // terminal-style view
    TwipRect bar;   // splitter bar
    bool barVisible = false;
    TwipRect ascRuler;
    TwipRect hexRuler;
    bool operator==(const ViewLayout &) const = default;
};

namespace LayoutConst {
inline constexpr int PanelHeight = 3015; // the control panel above the tab row
inline constexpr int ViewTop = 3600;     // the views' fixed top, under the rulers
inline constexpr int ViewLeft = 120;
inline constexpr int RulerTop = 3375;
inline constexpr int RulerHeight = 255;
inline constexpr int BarWidth = 45;
inline constexpr int DragMargin = 500; // the drag line stays this far from either edge
// The outer window is this much larger than its client area (borders; caption, menu and status
// bar for the height), so the layout rules can be applied to a client area.
inline constexpr int FrameWidth = 120;
inline constexpr int FrameHeight = 1065;
// No view is ever wider than this: Qt's largest widget (16777215 pixels) at 15 twips a pixel.
inline constexpr float MaxSplitPos = 251'658'225.0f;
} // namespace LayoutConst

// The splitter position as the layout uses it: a stored value that is not finite, negative or
// wider than any view can be is taken as none chosen (0).
[[nodiscard]] float usableSplitPos(float splitPos);

// Applies the layout rules to `previous` and returns the result. A size the rules make negative
// is refused: that value keeps its previous setting, as a control would. Windows narrower than
// 100 or lower than 300 twips are not laid out at all (the previous layout is returned).
// tab: 1 "ASCII", 2 "Hexa", 3 "Both", 4 "like HyperTerminal"; other values lay out only the
// port strip and the rulers.
[[nodiscard]] ViewLayout computeLayout(int W, int H, int tab, float splitPos, const ViewLayout &previous);

// Where the drag line may stand for a mouse position `pos` (twips from the window's left edge).
[[nodiscard]] int clampDragLine(int pos, int W);

} // namespace kivo
