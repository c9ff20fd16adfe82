#pragma once

#include "analysis/WeightTrend.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

class QChart;
class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace kivo {

// The weight against time for the last 1, 5 or 30 minutes: the weight as a line, stable stretches
// as green dots, unstable ones as orange dots, overloads as red marks. Drawn from the trend's
// buckets, merged to at most one point per few pixels, so the cost stays the same at any rate and
// for any length of run. Pause freezes the plot; dragging a rectangle zooms, Reset Zoom goes back.
class TrendPlot : public QWidget
{
    Q_OBJECT
public:
    TrendPlot(const WeightTrend &trend, QWidget *parent = nullptr);

    // Draws the trend anew as of `nowMs` (the trend's clock); does nothing while paused.
    void refresh(qint64 nowMs);

    [[nodiscard]] qint64 rangeMs() const;
    [[nodiscard]] bool isPaused() const;
    // Points drawn in the last refresh, all series together.
    [[nodiscard]] int pointsDrawn() const { return m_points; }

private:
    const WeightTrend &m_trend;
    QChart *m_chart = nullptr;
    QChartView *m_view = nullptr;
    QLineSeries *m_line = nullptr;
    QScatterSeries *m_stable = nullptr;
    QScatterSeries *m_unstable = nullptr;
    QScatterSeries *m_overload = nullptr;
    QValueAxis *m_x = nullptr;
    QValueAxis *m_y = nullptr;
    QComboBox *m_range = nullptr;
    QCheckBox *m_pause = nullptr;
    QPushButton *m_resetZoom = nullptr;
    bool m_zoomed = false;
    int m_points = 0;
};

} // namespace kivo
