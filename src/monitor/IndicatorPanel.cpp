#include "monitor/IndicatorPanel.h"

#include "core/PanelGeometry.h"

#include "core/Twips.h"
#include "monitor/FrameCollector.h"
#include "monitor/SegmentDisplay.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace kivo {

namespace {

constexpr int kPanelWidth = 320;
constexpr int kPanelHeight = 103;
constexpr int kPanelTop = 68;

// A weight streaming in is repainted at most ten times a second: as often as an indicator's own
// display changes, and a fifth of what fifty frames a second would ask for.
constexpr std::chrono::milliseconds kDisplayInterval{100};

// The picture behind the weight: a bevelled grey bezel around a dark display window, with the
// unit printed at the window's lower right.
QPixmap displayPicture(int w, int h, const QString &unitText)
{
    QPixmap pm(w, h);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bezel(0, 0, 0, h);
    bezel.setColorAt(0, QColor(96, 100, 104));
    bezel.setColorAt(1, QColor(40, 42, 45));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawRoundedRect(QRectF(0, 0, w, h), 7, 7);
    QLinearGradient window(0, 0, 0, h);
    window.setColorAt(0, QColor(14, 18, 16));
    window.setColorAt(1, QColor(4, 6, 5));
    p.setBrush(window);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawRoundedRect(QRectF(5, 5, w - 10, h - 10), 4, 4);
    QFont unit(QStringLiteral("DejaVu Sans"));
    unit.setPixelSize(17);
    unit.setBold(true);
    p.setFont(unit);
    p.setPen(QColor(190, 196, 200));
    p.drawText(QRect(0, h - 34, w - 14, 24), Qt::AlignRight | Qt::AlignVCenter, unitText);
    return pm;
}

QPushButton *pictureButton(QWidget *parent, const QString &name, const QString &caption, const QColor &lamp,
                           int left)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(lamp);
    p.setPen(QColor(40, 40, 40));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.end();
    b->setIcon(QIcon(pm));
    b->setGeometry(px(left), px(2580), 100, 27);
    return b;
}

void setTextColor(QLabel *label, const QColor &color)
{
    if (label->palette().color(QPalette::WindowText) == color)
        return;
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

QLabel *lamp(const QString &caption, const QString &name, QWidget *parent, const QRect &geometry,
             const QColor &off)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    setTextColor(l, off);
    return l;
}

} // namespace

IndicatorPanel::IndicatorPanel(QWidget *controlPanel) : QWidget(controlPanel)
{
    setObjectName(QStringLiteral("IndicatorPanel"));
    const int left = px(9120);
    m_imgShow = new QLabel(this);
    m_imgShow->setObjectName(QStringLiteral("imgShow"));
    m_imgShow->setGeometry(left, kPanelTop, kPanelWidth, kPanelHeight);

    m_lblIndi = new SegmentDisplay(QStringLiteral("8888888"), this);
    m_lblIndi->setObjectName(QStringLiteral("lblIndi"));
    m_lblIndi->setGeometry(left + 10, kPanelTop + 17, 272, 58);
    // A label of fixed size asks its parent for no new layout at every new weight.
    m_lblIndi->setFixedSize(m_lblIndi->size());
    m_lblIndi->setGhostColor(kIdleColor);
    setTextColor(m_lblIndi, kIdleColor);
    setUnit(QStringLiteral("kg"));

    m_lblStable = lamp(QStringLiteral("●Stable"), QStringLiteral("lblStable"), this,
                       QRect(left + 14, kPanelTop + 78, 80, 18), kStableOff);
    m_lblOverload = lamp(QStringLiteral("●Overload"), QStringLiteral("lblOverload"), this,
                         QRect(left + 96, kPanelTop + 78, 90, 18), kOverloadOff);

    // The weight and the lamps are gated apart: the lamps change seldom, and a gate repaints
    // every widget it held.
    m_gate = std::make_unique<RepaintGate>(QList<QWidget *>{m_lblIndi}, kDisplayInterval);
    m_lampGate =
        std::make_unique<RepaintGate>(QList<QWidget *>{m_lblStable, m_lblOverload}, kDisplayInterval);

    m_lblSocketState = new QLabel(QStringLiteral("Socket: "), this);
    m_lblSocketState->setObjectName(QStringLiteral("lblSocketState"));
    // Shown in small grey print at the top of the display window, just clear of the weight, so
    // that a new weight does not draw the line again.
    m_lblSocketState->setGeometry(left + 12, kPanelTop + 3, 200, 14);
    setTextColor(m_lblSocketState, QColor(150, 150, 150));

    m_cmdMonOn =
        pictureButton(this, QStringLiteral("cmdMonOn"), QStringLiteral("Mon On"), QColor(0, 220, 0), 9120);
    m_cmdMonOff =
        pictureButton(this, QStringLiteral("cmdMonOff"), QStringLiteral("Mon Off"), QColor(220, 0, 0), 10730);
    m_cmdMonSet =
        pictureButton(this, QStringLiteral("cmdMonSet"), QStringLiteral("Set"), QColor(230, 200, 0), 12330);
    fitToChildren(this);

    connect(m_cmdMonOn, &QPushButton::clicked, this, &IndicatorPanel::monOnClicked);
    connect(m_cmdMonOff, &QPushButton::clicked, this, &IndicatorPanel::monOffClicked);
    connect(m_cmdMonSet, &QPushButton::clicked, this, &IndicatorPanel::monSetClicked);
}

// The gate is only told of real changes: a steady weight streaming in repaints nothing.
void IndicatorPanel::setWeight(const QString &text)
{
    if (text == m_lblIndi->text())
        return;
    m_gate->beforeChange();
    m_lblIndi->setText(text);
}

void IndicatorPanel::setIndiColor(const QColor &color)
{
    if (textColor(m_lblIndi) == color)
        return;
    m_gate->beforeChange();
    setTextColor(m_lblIndi, color);
}

void IndicatorPanel::setLamps(const LampState &lamps)
{
    if (m_lamps && *m_lamps == lamps)
        return;
    m_lamps = lamps;
    m_lampGate->beforeChange();
    setTextColor(m_lblStable, lamps.stable ? kStableLit : kStableOff);
    setTextColor(m_lblOverload, lamps.overload ? kOverloadLit : kOverloadOff);
}

void IndicatorPanel::setUnit(const QString &unit)
{
    if (unit == m_unit && !m_imgShow->pixmap().isNull())
        return;
    m_unit = unit;
    const QPixmap picture = displayPicture(kPanelWidth, kPanelHeight, unit);
    m_imgShow->setPixmap(picture);
    // The weight sits on the picture's dark window and paints that part of it itself.
    m_lblIndi->setBackdrop(picture.copy(m_lblIndi->geometry().translated(-m_imgShow->pos())));
}

void IndicatorPanel::setSocketState(const QString &text)
{
    m_lblSocketState->setText(text);
}

QColor textColor(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace kivo
