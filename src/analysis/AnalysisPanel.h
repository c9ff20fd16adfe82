#pragma once

#include "analysis/ReadingsLog.h"
#include "analysis/WeightStats.h"
#include "analysis/WeightTrend.h"
#include "monitor/WeightReading.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kivo {

class Link;
class TrendPlot;

// Weighing analysis beside the weight display: the live figures of the readings (with Reset and
// the division d), the trend plot, and the readings table with Capture, Auto-capture, the
// repeatability check and CSV export. Fed by the monitoring seam; the figures and the plot are
// redrawn a few times a second at most, whatever the rate of readings.
class AnalysisPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFiguresInterval = 500; // ms
    static constexpr int kPlotInterval = 1000;   // ms

    explicit AnalysisPanel(QWidget *parent = nullptr);

    // The monitoring seam.
    void addReading(const WeightReading &reading);
    void addDropped(kivo::Link *link, qint64 bytes);

    // Every captured reading is also appended to this CSV file (empty: none).
    void setReadingsFile(const QString &path) { m_readingsFile = path; }

    // Writes the readings table (and the repeatability figures) as CSV; false with a box on failure.
    bool exportCsv(const QString &path);

    [[nodiscard]] const WeightStats &stats() const { return m_stats; }
    [[nodiscard]] const ReadingsLog &readings() const { return m_log; }
    [[nodiscard]] const WeightTrend &trend() const { return m_trend; }
    [[nodiscard]] TrendPlot *plot() const { return m_plot; }

    // Redraws the figures now (the timer does it while readings come).
    void updateFigures();

private:
    void take(const WeightReading &reading);
    void resetFigures();
    void chooseCsvFile();
    void applyDivision();
    [[nodiscard]] QString repeatabilityText() const;
    [[nodiscard]] double limitPercent() const;

    WeightStats m_stats;
    WeightTrend m_trend;
    Capturer m_capturer;
    ReadingsLog m_log;
    QString m_readingsFile;
    QElapsedTimer m_clock;
    QTimer m_figuresTimer;
    QTimer m_plotTimer;
    bool m_dirty = false;

    QGridLayout *m_grid = nullptr;
    QList<QLabel *> m_values;
    QLineEdit *m_division = nullptr;
    QSpinBox *m_window = nullptr;
    QDoubleSpinBox *m_band = nullptr;
    QDoubleSpinBox *m_hold = nullptr;
    QPushButton *m_reset = nullptr;
    TrendPlot *m_plot = nullptr;
    QPushButton *m_capture = nullptr;
    QCheckBox *m_autoCapture = nullptr;
    QTableWidget *m_table = nullptr;
    QLineEdit *m_limit = nullptr;
    QLabel *m_repeatability = nullptr;
    QPushButton *m_export = nullptr;
    QPushButton *m_clear = nullptr;
};

} // namespace kivo
