#include "analysis/TrendPlot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <cmath>

namespace kivo {

namespace {
QScatterSeries *dots(const QString &name, const QColor &colour, qreal size,
                     QScatterSeries::MarkerShape shape = QScatterSeries::MarkerShapeCircle)
{
    auto *s = new QScatterSeries;
    s->setName(name);
    s->setColor(colour);
    s->setBorderColor(colour);
    s->setMarkerSize(size);
    s->setMarkerShape(shape);
    s->setUseOpenGL(false);
    return s;
}
} // namespace

TrendPlot::TrendPlot(const WeightTrend &trend, QWidget *parent) : QWidget(parent), m_trend(trend)
{
    setObjectName(QStringLiteral("picTrend"));
    m_chart = new QChart;
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_line = new QLineSeries;
    m_line->setName(QStringLiteral("weight"));
    m_line->setPen(QPen(QColor(90, 90, 90), 1));
    m_stable = dots(QStringLiteral("stable"), QColor(0, 160, 0), 5);
    m_unstable = dots(QStringLiteral("unstable"), QColor(255, 140, 0), 5);
    m_overload = dots(QStringLiteral("overload"), QColor(220, 0, 0), 9, QScatterSeries::MarkerShapeRectangle);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    m_chart->legend()->setFont(small);
    m_x = new QValueAxis;
    m_x->setLabelFormat(QStringLiteral("%ds"));
    m_x->setLabelsFont(small);
    m_x->setTickCount(4);
    m_y = new QValueAxis;
    m_y->setLabelsFont(small);
    m_y->setTickCount(4);
    m_chart->addAxis(m_x, Qt::AlignBottom);
    m_chart->addAxis(m_y, Qt::AlignLeft);
    for (QXYSeries *s : std::initializer_list<QXYSeries *>{m_line, m_stable, m_unstable, m_overload}) {
        m_chart->addSeries(s);
        s->attachAxis(m_x);
        s->attachAxis(m_y);
    }
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chtTrend"));
    m_view->setRenderHint(QPainter::Antialiasing, false);
    m_view->setRubberBand(QChartView::RectangleRubberBand);

    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("cboTrendRange"));
    m_range->addItems({QStringLiteral("1 min"), QStringLiteral("5 min"), QStringLiteral("30 min")});
    m_pause = new QCheckBox(QStringLiteral("Pause"), this);
    m_pause->setObjectName(QStringLiteral("chkTrendPause"));
    m_resetZoom = new QPushButton(QStringLiteral("Reset Zoom"), this);
    m_resetZoom->setObjectName(QStringLiteral("cmdTrendZoomReset"));
    auto *bar = new QHBoxLayout;
    bar->addWidget(m_range);
    bar->addWidget(m_pause);
    bar->addStretch(1);
    bar->addWidget(m_resetZoom);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(bar);
    column->addWidget(m_view, 1);

    // A zoom by the rubber band holds the axes until Reset Zoom or a new range.
    connect(m_x, &QValueAxis::rangeChanged, this, [this] { m_zoomed = m_chart->isZoomed(); });
    connect(m_resetZoom, &QPushButton::clicked, this, [this] {
        m_chart->zoomReset();
        m_zoomed = false;
    });
    connect(m_range, &QComboBox::currentIndexChanged, this, [this] {
        m_chart->zoomReset();
        m_zoomed = false;
    });
}

qint64 TrendPlot::rangeMs() const
{
    static const qint64 minutes[] = {1, 5, 30};
    return minutes[std::clamp(m_range->currentIndex(), 0, 2)] * 60 * 1000;
}

bool TrendPlot::isPaused() const
{
    return m_pause->isChecked();
}

void TrendPlot::refresh(qint64 nowMs)
{
    if (isPaused() || !isVisible())
        return;
    const qint64 range = rangeMs();
    // About one point every two pixels across the plot.
    const int maxPoints = std::max(50, int(m_chart->plotArea().width() / 2));
    const std::vector<WeightTrend::Bucket> buckets = m_trend.view(nowMs - range, maxPoints);
    QList<QPointF> line, stable, unstable, overload;
    line.reserve(qsizetype(buckets.size()) * 2);
    double low = 0, high = 0;
    for (size_t i = 0; i < buckets.size(); ++i) {
        const WeightTrend::Bucket &b = buckets[i];
        const double x = double(b.startMs - nowMs) / 1000.0;
        // The envelope: a merged bucket's low and high, so no swing disappears in the merge.
        if (b.low != b.high)
            line << QPointF(x, b.low) << QPointF(x, b.high);
        line << QPointF(x, b.last);
        (b.overload ? overload : b.stable ? stable : unstable) << QPointF(x, b.last);
        low = i == 0 ? b.low : std::min(low, b.low);
        high = i == 0 ? b.high : std::max(high, b.high);
    }
    m_line->replace(line);
    m_stable->replace(stable);
    m_unstable->replace(unstable);
    m_overload->replace(overload);
    m_points = int(line.size() + stable.size() + unstable.size() + overload.size());
    if (m_zoomed)
        return;
    m_x->setRange(-double(range) / 1000.0, 0);
    const double margin = std::max((high - low) * 0.1, 1e-3 + std::abs(high) * 1e-4);
    m_y->setRange(low - margin, high + margin);
    m_zoomed = false;
}

} // namespace kivo
