#include "send/RepeatPanel.h"

#include "core/PanelGeometry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace kivo {

RepeatPanel::RepeatPanel(QWidget *controlPanel) : QWidget(controlPanel)
{
    setObjectName(QStringLiteral("RepeatPanel"));
    m_Frame4 = new QGroupBox(this);
    m_Frame4->setObjectName(QStringLiteral("Frame4"));
    m_Frame4->setGeometry(240, 65, 353, 73);
    // The frame is titled by its tick box, which sits where a caption would.
    m_chkAutoRepeat = new QCheckBox(QStringLiteral("Auto Repeat Send"), this);
    m_chkAutoRepeat->setObjectName(QStringLiteral("chkAutoRepeat"));
    m_chkAutoRepeat->setGeometry(250, 62, 130, 20);
    m_chkAutoRepeat->setAutoFillBackground(true);

    m_lblDelayTime = new QLabel(QStringLiteral("Delay Time:"), m_Frame4);
    m_lblDelayTime->setObjectName(QStringLiteral("lblDelayTime"));
    m_lblDelayTime->setGeometry(10, 20, 80, 18);
    m_cboDelayTime = new QComboBox(m_Frame4);
    m_cboDelayTime->setObjectName(QStringLiteral("cboDelayTime"));
    m_cboDelayTime->setGeometry(10, 40, 76, 24);
    m_cboDelayTime->setMaxVisibleItems(20);
    m_lblCount = new QLabel(QStringLiteral("Count:"), m_Frame4);
    m_lblCount->setObjectName(QStringLiteral("lblCount"));
    m_lblCount->setGeometry(96, 20, 80, 18);
    m_cboCount = new QComboBox(m_Frame4);
    m_cboCount->setObjectName(QStringLiteral("cboCount"));
    m_cboCount->setGeometry(96, 40, 86, 24);
    m_cboCount->setMaxVisibleItems(13);
    m_cmdStart = new QPushButton(QStringLiteral("Start"), m_Frame4);
    m_cmdStart->setObjectName(QStringLiteral("cmdStart"));
    m_cmdStart->setGeometry(192, 30, 64, 32);
    m_cmdEditList = new QPushButton(QStringLiteral("&Edit List..."), m_Frame4);
    m_cmdEditList->setObjectName(QStringLiteral("cmdEditList"));
    m_cmdEditList->setGeometry(262, 30, 84, 32);
    fitToChildren(this);

    connect(m_chkAutoRepeat, &QCheckBox::toggled, this, &RepeatPanel::autoRepeatToggled);
    connect(m_cmdStart, &QPushButton::clicked, this, &RepeatPanel::startClicked);
    connect(m_cmdEditList, &QPushButton::clicked, this, &RepeatPanel::editListClicked);
}

QComboBox *RepeatPanel::box(Choice choice) const
{
    return choice == Choice::DelayTime ? m_cboDelayTime : m_cboCount;
}

int RepeatPanel::choiceIndex(Choice choice) const
{
    return box(choice)->currentIndex();
}

void RepeatPanel::selectChoice(Choice choice, int index)
{
    if (index >= 0 && index < box(choice)->count())
        box(choice)->setCurrentIndex(index);
}

QString RepeatPanel::choiceText(Choice choice) const
{
    return box(choice)->currentText();
}

bool RepeatPanel::autoRepeatTicked() const
{
    return m_chkAutoRepeat->isChecked();
}

void RepeatPanel::setAutoRepeatAvailable(bool on)
{
    m_chkAutoRepeat->setEnabled(on);
}

bool RepeatPanel::isEditListEnabled() const
{
    return m_cmdEditList->isEnabled();
}

void RepeatPanel::clickEditList()
{
    m_cmdEditList->click();
}

void RepeatPanel::fillLists()
{
    // Built as text: "0.01".."0.09", "0.1".."0.9", "1".."20".
    for (int d = 1; d <= 9; ++d)
        m_cboDelayTime->addItem(QStringLiteral("0.0") + QString::number(d));
    for (int d = 1; d <= 9; ++d)
        m_cboDelayTime->addItem(QStringLiteral("0.") + QString::number(d));
    for (int s = 1; s <= 20; ++s)
        m_cboDelayTime->addItem(QString::number(s));
    m_cboDelayTime->setCurrentIndex(-1);

    for (const char *c : {"Endless", "10", "50", "100", "200", "500", "1000", "2000", "5000", "10000",
                          "20000", "50000", "100000"})
        m_cboCount->addItem(QString::fromLatin1(c));
    m_cboCount->setCurrentIndex(0);
}

void RepeatPanel::setRepeatEnabled(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblDelayTime, m_lblCount, m_cboDelayTime, m_cboCount,
                                                       m_cmdStart, m_cmdEditList})
        w->setEnabled(on);
}

void RepeatPanel::showListRunning(bool running)
{
    m_cmdStart->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
}

} // namespace kivo
