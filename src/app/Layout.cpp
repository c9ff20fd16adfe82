#include "app/Layout.h"

#include <cmath>

namespace kivo {

namespace {
void setWidth(TwipRect &r, int w)
{
    if (w >= 0)
        r.width = w;
}
void setHeight(TwipRect &r, int h)
{
    if (h >= 0)
        r.height = h;
}
} // namespace

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
        setWidth(l.asc, W - 350);
        setHeight(l.asc, H - PanelHeight - 1700);
        l.hex = l.asc;
        l.hyper = l.asc;
    } else if (tab == 3) {
        const int ascWidth = splitPos != 0.0f ? int(std::lround(splitPos)) : W / 2 - 200;
        setWidth(l.asc, ascWidth);
        setWidth(l.hex, W - l.asc.width - 400);
        setHeight(l.asc, H - PanelHeight - 1700);
        l.hex.height = l.asc.height;
        l.hex.top = l.asc.top;
        l.hex.left = l.asc.width + 180;
        l.barVisible = true;
        l.bar = TwipRect{l.hex.left - BarWidth, l.asc.top, BarWidth, l.asc.height};
    }

    l.ascRuler = TwipRect{l.asc.left + 1, RulerTop, l.ascRuler.width, RulerHeight};
    setWidth(l.ascRuler, l.asc.width - 1);
    l.hexRuler = TwipRect{l.hex.left + 1, RulerTop, l.hexRuler.width, RulerHeight};
    setWidth(l.hexRuler, l.hex.width - 1);
    return l;
}

int clampDragLine(int pos, int W)
{
    using LayoutConst::DragMargin;
    if (pos < DragMargin)
        return DragMargin;
    if (pos > W - DragMargin)
        return W - DragMargin;
    return pos;
}

} // namespace kivo
