#include "app/Layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kivo {

namespace {
// Sums and differences are taken in 64 bits and held to the int range, so no window size, splitter
// position or previous layout can make the arithmetic overflow.
using Wide = long long;
int held(Wide v)
{
    return int(std::clamp<Wide>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
void setWidth(TwipRect &r, Wide w)
{
    if (w >= 0)
        r.width = held(w);
}
void setHeight(TwipRect &r, Wide h)
{
    if (h >= 0)
        r.height = held(h);
}
} // namespace

float usableSplitPos(float splitPos)
{
    if (!std::isfinite(splitPos) || splitPos < 0 || splitPos > LayoutConst::MaxSplitPos)
        return 0;
    return splitPos;
}

ViewLayout computeLayout(int W, int H, int tab, float splitPos, const ViewLayout &previous)
{
    using namespace LayoutConst;
    ViewLayout l = previous;
    if (W < 100 || H < 300)
        return l;

    if (W - 350 >= 0)
        l.portStripWidth = W - 350;
    l.asc.left = ViewLeft;
    l.asc.top = ViewTop;

    if (tab == 1 || tab == 2 || tab == 4) {
        l.barVisible = false;
        setWidth(l.asc, Wide(W) - 350);
        setHeight(l.asc, Wide(H) - PanelHeight - 1700);
        l.hex = l.asc;
        l.hyper = l.asc;
    } else if (tab == 3) {
        const float chosen = usableSplitPos(splitPos);
        const Wide ascWidth = chosen != 0.0f ? Wide(std::lround(chosen)) : W / 2 - 200;
        setWidth(l.asc, ascWidth);
        setWidth(l.hex, Wide(W) - l.asc.width - 400);
        setHeight(l.asc, Wide(H) - PanelHeight - 1700);
        l.hex.height = l.asc.height;
        l.hex.top = l.asc.top;
        l.hex.left = held(Wide(l.asc.width) + 180);
        l.barVisible = true;
        l.bar = TwipRect{held(Wide(l.hex.left) - BarWidth), l.asc.top, BarWidth, l.asc.height};
    }

    l.ascRuler = TwipRect{held(Wide(l.asc.left) + 1), RulerTop, l.ascRuler.width, RulerHeight};
    setWidth(l.ascRuler, Wide(l.asc.width) - 1);
    l.hexRuler = TwipRect{held(Wide(l.hex.left) + 1), RulerTop, l.hexRuler.width, RulerHeight};
    setWidth(l.hexRuler, Wide(l.hex.width) - 1);
    return l;
}

int clampDragLine(int pos, int W)
{
    using LayoutConst::DragMargin;
    if (pos < DragMargin)
        return DragMargin;
    if (Wide(pos) > Wide(W) - DragMargin)
        return held(Wide(W) - DragMargin);
    return pos;
}

} // namespace kivo
