#include "monitor/IndicatorPanel.h"

#include "app/Twips.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace kivo {

namespace {
QPixmap displayPicture(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(QColor(60, 60, 60));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(8, 12, 10));
    p.setPen(QPen(QColor(110, 110, 110), 2));
    p.drawRoundedRect(QRectF(3, 3, w - 6, h - 6), 6, 6);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(200, 200, 200));
    p.drawText(QRect(0, h - 30, w - 14, 22), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("kg"));
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
} // namespace

IndicatorPanel::IndicatorPanel(QWidget *controlPanel) : QObject(controlPanel)
{
    const int left = px(9120);
    imgShow = new QLabel(controlPanel);
    imgShow->setObjectName(QStringLiteral("imgShow"));
    imgShow->setGeometry(left, 68, 320, 103);
    imgShow->setPixmap(displayPicture(320, 103));

    lblIndi = new QLabel(QStringLiteral("8888888"), controlPanel);
    lblIndi->setObjectName(QStringLiteral("lblIndi"));
    lblIndi->setGeometry(left + 10, 84, 270, 60);
    lblIndi->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblIndi->setAttribute(Qt::WA_TranslucentBackground);
    QFont seg(QStringLiteral("DSEG7 Classic"));
    seg.setItalic(true);
    seg.setPixelSize(40);
    lblIndi->setFont(seg);
    lblIndi->setStyleSheet(QStringLiteral("color: rgb(25,25,25); background: transparent;"));

    lblStable = new QLabel(QStringLiteral("●Stable"), controlPanel);
    lblStable->setObjectName(QStringLiteral("lblStable"));
    lblStable->setGeometry(left + 14, 146, 80, 18);
    lblStable->setStyleSheet(QStringLiteral("color: rgb(0,64,0); background: transparent;"));
    lblOverload = new QLabel(QStringLiteral("●Overload"), controlPanel);
    lblOverload->setObjectName(QStringLiteral("lblOverload"));
    lblOverload->setGeometry(left + 96, 146, 90, 18);
    lblOverload->setStyleSheet(QStringLiteral("color: rgb(64,0,0); background: transparent;"));

    lblSocketState = new QLabel(QStringLiteral("Socket: "), controlPanel);
    lblSocketState->setObjectName(QStringLiteral("lblSocketState"));
    // Shown in small grey print at the top of the display window.
    lblSocketState->setGeometry(left + 12, 72, 200, 14);
    lblSocketState->setStyleSheet(QStringLiteral("color: rgb(150,150,150); background: transparent;"));

    cmdMonOn = pictureButton(controlPanel, QStringLiteral("cmdMonOn"), QStringLiteral("Mon On"),
                             QColor(0, 220, 0), 9120);
    cmdMonOff = pictureButton(controlPanel, QStringLiteral("cmdMonOff"), QStringLiteral("Mon Off"),
                              QColor(220, 0, 0), 10730);
    cmdMonSet = pictureButton(controlPanel, QStringLiteral("cmdMonSet"), QStringLiteral("Set"),
                              QColor(230, 200, 0), 12330);
}

} // namespace kivo
