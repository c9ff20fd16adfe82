#include "send/RepeatPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace kivo {

RepeatPanel::RepeatPanel(QWidget *controlPanel) : QObject(controlPanel)
{
    Frame4 = new QGroupBox(controlPanel);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setGeometry(240, 65, 353, 73);
    // The frame is titled by its tick box, which sits where a caption would.
    chkAutoRepeat = new QCheckBox(QStringLiteral("Auto Repeat Send"), controlPanel);
    chkAutoRepeat->setObjectName(QStringLiteral("chkAutoRepeat"));
    chkAutoRepeat->setGeometry(250, 62, 130, 20);
    chkAutoRepeat->setAutoFillBackground(true);

    lblDelayTime = new QLabel(QStringLiteral("Delay Time:"), Frame4);
    lblDelayTime->setObjectName(QStringLiteral("lblDelayTime"));
    lblDelayTime->setGeometry(10, 20, 80, 18);
    cboDelayTime = new QComboBox(Frame4);
    cboDelayTime->setObjectName(QStringLiteral("cboDelayTime"));
    cboDelayTime->setGeometry(10, 40, 76, 24);
    cboDelayTime->setMaxVisibleItems(20);
    lblCount = new QLabel(QStringLiteral("Count:"), Frame4);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    lblCount->setGeometry(96, 20, 80, 18);
    cboCount = new QComboBox(Frame4);
    cboCount->setObjectName(QStringLiteral("cboCount"));
    cboCount->setGeometry(96, 40, 86, 24);
    cboCount->setMaxVisibleItems(13);
    cmdStart = new QPushButton(QStringLiteral("Start"), Frame4);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStart->setGeometry(192, 30, 64, 32);
    cmdEditList = new QPushButton(QStringLiteral("&Edit List..."), Frame4);
    cmdEditList->setObjectName(QStringLiteral("cmdEditList"));
    cmdEditList->setGeometry(262, 30, 84, 32);
}

void RepeatPanel::fillLists()
{
    // Built as text: "0.01".."0.09", "0.1".."0.9", "1".."20".
    for (int d = 1; d <= 9; ++d)
        cboDelayTime->addItem(QStringLiteral("0.0") + QString::number(d));
    for (int d = 1; d <= 9; ++d)
        cboDelayTime->addItem(QStringLiteral("0.") + QString::number(d));
    for (int s = 1; s <= 20; ++s)
        cboDelayTime->addItem(QString::number(s));
    cboDelayTime->setCurrentIndex(-1);

    for (const char *c : {"Endless", "10", "50", "100", "200", "500", "1000", "2000", "5000", "10000",
                          "20000", "50000", "100000"})
        cboCount->addItem(QString::fromLatin1(c));
    cboCount->setCurrentIndex(0);
}

void RepeatPanel::setRepeatEnabled(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{lblDelayTime, lblCount, cboDelayTime, cboCount,
                                                       cmdStart, cmdEditList})
        w->setEnabled(on);
}

void RepeatPanel::showListRunning(bool running)
{
    cmdStart->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

} // namespace kivo
