#include "analysis/AnalysisPanel.h"

#include "analysis/TrendPlot.h"
#include "core/MessageBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace kivo {

namespace {

// The figures, in the order of the grid's rows: name and object name of the value label.
struct Figure
{
    const char *caption;
    const char *name;
};
const Figure kFigures[] = {
    {"Frames/s", "lblStatRate"},       {"Frames", "lblStatFrames"},        {"Not a number", "lblStatUnparsed"},
    {"Bytes dropped", "lblStatDropped"}, {"Current", "lblStatCurrent"},    {"Minimum", "lblStatMin"},
    {"Maximum", "lblStatMax"},          {"Mean", "lblStatMean"},           {"Std. deviation", "lblStatSd"},
    {"Stable", "lblStatStable"},        {"Overloads", "lblStatOverloads"}, {"Settling time", "lblStatSettling"},
};
enum FigureRow { Rate, Frames, Unparsed, Dropped, Current, Min, Max, Mean, Sd, Stable, Overloads, Settling };

QPushButton *button(QWidget *parent, const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

AnalysisPanel::AnalysisPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picAnalysis"));
    m_clock.start();

    // The figures: since the reset, and over the last N readings.
    auto *figures = new QGroupBox(QStringLiteral("Statistics"), this);
    m_grid = new QGridLayout(figures);
    m_grid->setVerticalSpacing(1);
    auto *since = new QLabel(QStringLiteral("since reset"), figures);
    auto *last = new QLabel(QStringLiteral("last N"), figures);
    m_grid->addWidget(since, 0, 1);
    m_grid->addWidget(last, 0, 2);
    int row = 1;
    for (const Figure &f : kFigures) {
        m_grid->addWidget(new QLabel(QString::fromLatin1(f.caption), figures), row, 0);
        for (int column : {1, 2}) {
            auto *value = new QLabel(figures);
            value->setObjectName(QString::fromLatin1(f.name) + (column == 1 ? QString() : QStringLiteral("_Last")));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            // A width that holds any figure, so a new figure never lays the panel out again.
            value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-00000.0000")));
            m_grid->addWidget(value, row, column);
            m_values << value;
        }
        ++row;
    }
    m_division = new QLineEdit(figures);
    m_division->setObjectName(QStringLiteral("txtDivision"));
    m_division->setPlaceholderText(QStringLiteral("auto"));
    m_division->setToolTip(QStringLiteral("The division d; empty: one step of the last digit shown"));
    m_window = new QSpinBox(figures);
    m_window->setObjectName(QStringLiteral("spnStatWindow"));
    m_window->setRange(2, 10000);
    m_window->setValue(50);
    m_window->setToolTip(QStringLiteral("How many of the last readings the second column takes"));
    m_reset = button(figures, "cmdStatReset", QStringLiteral("Reset"));
    auto *settings = new QHBoxLayout;
    settings->addWidget(new QLabel(QStringLiteral("d"), figures));
    settings->addWidget(m_division, 1);
    settings->addWidget(new QLabel(QStringLiteral("N"), figures));
    settings->addWidget(m_window);
    settings->addWidget(m_reset);
    m_grid->addLayout(settings, row, 0, 1, 3);
    // What counts as a load change and as settled.
    m_band = new QDoubleSpinBox(figures);
    m_band->setObjectName(QStringLiteral("spnSettleBand"));
    m_band->setRange(0.1, 1000);
    m_band->setDecimals(1);
    m_band->setValue(1);
    m_band->setSuffix(QStringLiteral(" d"));
    m_band->setToolTip(QStringLiteral("A reading further than this from the load is a change"));
    m_hold = new QDoubleSpinBox(figures);
    m_hold->setObjectName(QStringLiteral("spnSettleHold"));
    m_hold->setRange(0.1, 60);
    m_hold->setDecimals(1);
    m_hold->setValue(1);
    m_hold->setSuffix(QStringLiteral(" s"));
    m_hold->setToolTip(QStringLiteral("How long a reading stays within the band, stable, to count as settled"));
    auto *settle = new QHBoxLayout;
    settle->addWidget(new QLabel(QStringLiteral("Settled: within"), figures));
    settle->addWidget(m_band);
    settle->addWidget(new QLabel(QStringLiteral("for"), figures));
    settle->addWidget(m_hold);
    settle->addStretch(1);
    m_grid->addLayout(settle, row + 1, 0, 1, 3);

    m_plot = new TrendPlot(m_trend, this);
    m_plot->setMinimumHeight(160);

    // The readings table, its capture and the repeatability check.
    auto *readings = new QWidget(this);
    m_capture = button(readings, "cmdCapture", QStringLiteral("Capture"));
    m_capture->setToolTip(QStringLiteral("Take the next stable reading"));
    m_autoCapture = new QCheckBox(QStringLiteral("Auto-capture"), readings);
    m_autoCapture->setObjectName(QStringLiteral("chkAutoCapture"));
    m_autoCapture->setToolTip(QStringLiteral("Take a reading each time a load put on settles"));
    m_export = button(readings, "cmdExportCsv", QStringLiteral("CSV..."));
    m_export->setToolTip(QStringLiteral("Export the readings and the figures as CSV"));
    m_clear = button(readings, "cmdClearReadings", QStringLiteral("Clear"));
    m_table = new QTableWidget(0, 5, readings);
    m_table->setObjectName(QStringLiteral("tblReadings"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Weight"), QStringLiteral("Unit"),
                                        QStringLiteral("Status"), QStringLiteral("Link")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_limit = new QLineEdit(QStringLiteral("0.10"), readings);
    m_limit->setObjectName(QStringLiteral("txtRepeatLimit"));
    m_limit->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00.000")) + 12);
    m_repeatability = new QLabel(readings);
    m_repeatability->setObjectName(QStringLiteral("lblRepeatability"));
    m_repeatability->setWordWrap(true);
    m_repeatability->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_capture);
    buttons->addWidget(m_autoCapture);
    buttons->addStretch(1);
    buttons->addWidget(m_clear);
    auto *limit = new QHBoxLayout;
    limit->addWidget(new QLabel(QStringLiteral("Limit 2·s / m ≤"), readings));
    limit->addWidget(m_limit);
    limit->addWidget(new QLabel(QStringLiteral("%"), readings));
    limit->addStretch(1);
    limit->addWidget(m_export);
    auto *readingsColumn = new QVBoxLayout(readings);
    readingsColumn->addLayout(buttons);
    readingsColumn->addWidget(m_table, 1);
    readingsColumn->addLayout(limit);
    readingsColumn->addWidget(m_repeatability);

    figures->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_table->setMinimumHeight(2 * m_table->verticalHeader()->defaultSectionSize() + 30);
    // The figures always in sight; the plot and the readings share the room below.
    auto *pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("tabAnalysis"));
    pages->addTab(m_plot, QStringLiteral("Trend"));
    pages->addTab(readings, QStringLiteral("Readings"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 0, 4, 4);
    column->setSpacing(4);
    column->addWidget(figures);
    column->addWidget(pages, 1);

    m_figuresTimer.setInterval(kFiguresInterval);
    connect(&m_figuresTimer, &QTimer::timeout, this, [this] {
        if (m_dirty)
            updateFigures();
    });
    m_figuresTimer.start();
    m_plotTimer.setInterval(kPlotInterval);
    connect(&m_plotTimer, &QTimer::timeout, this, [this] { m_plot->refresh(m_clock.elapsed()); });
    m_plotTimer.start();

    connect(m_reset, &QPushButton::clicked, this, &AnalysisPanel::resetFigures);
    connect(m_division, &QLineEdit::editingFinished, this, &AnalysisPanel::applyDivision);
    connect(m_window, &QSpinBox::valueChanged, this, [this](int n) {
        m_stats.setWindow(n);
        updateFigures();
    });
    connect(m_band, &QDoubleSpinBox::valueChanged, this, [this](double d) { m_stats.setBand(d); });
    connect(m_hold, &QDoubleSpinBox::valueChanged, this,
            [this](double s) { m_stats.setHoldMs(qint64(std::llround(s * 1000))); });
    connect(m_capture, &QPushButton::clicked, this, [this] { m_capturer.arm(); });
    connect(m_autoCapture, &QCheckBox::toggled, this, [this](bool on) { m_capturer.setAuto(on); });
    connect(m_export, &QPushButton::clicked, this, &AnalysisPanel::chooseCsvFile);
    connect(m_clear, &QPushButton::clicked, this, [this] {
        m_log.clear();
        m_table->setRowCount(0);
        updateFigures();
    });
    connect(m_limit, &QLineEdit::editingFinished, this, &AnalysisPanel::updateFigures);
    updateFigures();
}

void AnalysisPanel::addReading(const WeightReading &reading)
{
    const bool settled = m_stats.add(reading);
    if (reading.weight)
        m_trend.add(m_clock.elapsed(), *reading.weight, reading.stable, reading.overload);
    if (m_capturer.offer(reading, settled, m_stats.bandWeight()))
        take(reading);
    m_dirty = true;
}

void AnalysisPanel::addDropped(Link *, qint64 bytes)
{
    m_stats.addDropped(bytes);
    m_dirty = true;
}

// The three layouts monitoring reads all weigh in kilograms.
void AnalysisPanel::take(const WeightReading &reading)
{
    const CapturedReading r = captured(reading, reading.unit);
    m_log.add(r);
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QStringList cells = {r.time.toString(QStringLiteral("HH:mm:ss.zzz")), r.weightText, r.unit, r.status, r.link};
    for (int c = 0; c < cells.size(); ++c)
        m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
    m_table->scrollToBottom();
    if (!m_readingsFile.isEmpty()) {
        QString error;
        if (!ReadingsLog::appendToFile(m_readingsFile, r, &error)) {
            const QString file = std::exchange(m_readingsFile, QString());
            showMessage(window(), QStringLiteral("Readings are no longer written to %1: %2").arg(file, error),
                        QMessageBox::Warning, appTitle());
        }
    }
}

void AnalysisPanel::resetFigures()
{
    m_stats.reset();
    m_trend.clear();
    updateFigures();
}

void AnalysisPanel::applyDivision()
{
    const QString text = m_division->text().trimmed();
    bool ok = false;
    const double d = text.toDouble(&ok);
    m_stats.setDivision(ok && d > 0 && std::isfinite(d) ? d : 0);
    if (!text.isEmpty() && !(ok && d > 0))
        m_division->clear(); // not a division: back to automatic
    updateFigures();
}

double AnalysisPanel::limitPercent() const
{
    bool ok = false;
    const double limit = m_limit->text().trimmed().toDouble(&ok);
    return ok && limit > 0 ? limit : 0.10;
}

QString AnalysisPanel::repeatabilityText() const
{
    const auto r = repeatability(m_log.weights(), m_stats.division(), limitPercent());
    const QString source = QStringLiteral(
        "<br><small>s: standard deviation of repeated weighings of one load, at least 0.41 d; pass when "
        "2·s / m ≤ limit (pharmacopoeia requirement for balances, USP &lt;41&gt;: 0.10 %).</small>");
    if (!r)
        return QStringLiteral("Capture two readings or more of one load.") + source;
    return QStringLiteral("n = %1, m = %2, s = %3 (used %4, at least 0.41 d = %5)<br>"
                          "2·s / m = %6 % against %7 %: <b style=\"color:%8\">%9</b><br>"
                          "minimum weight 2·s / limit = %10")
               .arg(r->n)
               .arg(r->mean, 0, 'g', 8)
               .arg(r->s, 0, 'g', 4)
               .arg(r->sUsed, 0, 'g', 4)
               .arg(0.41 * m_stats.division(), 0, 'g', 4)
               .arg(r->ratioPercent, 0, 'f', 4)
               .arg(r->limitPercent, 0, 'f', 2)
               .arg(r->pass ? QStringLiteral("#008000") : QStringLiteral("#c00000"))
               .arg(r->pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
               .arg(r->minimumWeight, 0, 'g', 6) +
           source;
}

void AnalysisPanel::updateFigures()
{
    m_dirty = false;
    auto set = [this](int row, int column, const QString &text) {
        QLabel *label = m_values[row * 2 + column];
        if (label->text() != text)
            label->setText(text);
    };
    const auto number = [](double v) { return QString::number(v, 'f', 4); };
    set(Rate, 0, QString::number(m_stats.framesPerSecond(), 'f', 1));
    set(Frames, 0, QString::number(m_stats.frames()));
    set(Unparsed, 0, QString::number(m_stats.unparsed()));
    set(Dropped, 0, QString::number(m_stats.droppedBytes()));
    set(Stable, 0, QStringLiteral("%1 %").arg(m_stats.stableShare() * 100, 0, 'f', 1));
    set(Overloads, 0, QString::number(m_stats.overloads()));
    const auto settling = m_stats.lastSettlingMs();
    set(Settling, 0, m_stats.settling() ? QStringLiteral("settling...")
                     : settling         ? QStringLiteral("%1 s").arg(double(*settling) / 1000.0, 0, 'f', 2)
                                        : QString());
    for (int column : {0, 1}) {
        const auto spread = column == 0 ? m_stats.sinceReset() : m_stats.lastReadings();
        set(Current, column, spread ? number(spread->current) : QString());
        set(Min, column, spread ? number(spread->min) : QString());
        set(Max, column, spread ? number(spread->max) : QString());
        set(Mean, column, spread ? number(spread->mean) : QString());
        set(Sd, column, spread ? number(spread->sd) : QString());
    }
    m_repeatability->setText(repeatabilityText());
}

bool AnalysisPanel::exportCsv(const QString &path)
{
    const QByteArray bytes = m_log.csv(repeatability(m_log.weights(), m_stats.division(), limitPercent()));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    showMessage(window(), QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
                QMessageBox::Warning, appTitle());
    return false;
}

void AnalysisPanel::chooseCsvFile()
{
    QFileDialog dialog(window(), QStringLiteral("Export Readings"), QStringLiteral("readings.csv"),
                       QStringLiteral("CSV (*.csv);;All files (*)"));
    dialog.setObjectName(QStringLiteral("dlgExportCsv"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        exportCsv(dialog.selectedFiles().constFirst());
}

} // namespace kivo
