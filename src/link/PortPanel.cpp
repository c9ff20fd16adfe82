#include "link/PortPanel.h"

#include "core/Conversions.h"
#include "core/Fonts.h"
#include "link/SerialSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace kivo {

namespace {
constexpr int kLabelTop = 13;
constexpr int kComboTop = 30;
constexpr int kComboHeight = 22;
} // namespace

PortPanel::PortPanel(QWidget *controlPanel) : QWidget(controlPanel)
{
    setObjectName(QStringLiteral("PortPanel"));
    setGeometry(8, 0, 923, 65);
    m_fraPortSetting = new QGroupBox(this);
    m_fraPortSetting->setObjectName(QStringLiteral("fraPortSetting"));
    m_fraPortSetting->setGeometry(0, 0, 923, 65);

    m_fraComm = new QGroupBox(QStringLiteral("Communication"), m_fraPortSetting);
    m_fraComm->setObjectName(QStringLiteral("fraComm"));
    m_fraComm->setGeometry(6, 6, 150, 54);
    m_optComm_0 = new QRadioButton(QStringLiteral("TCP/IP"), m_fraComm);
    m_optComm_0->setObjectName(QStringLiteral("optComm_0"));
    m_optComm_0->setGeometry(80, 22, 66, 22);
    m_optComm_1 = new QRadioButton(QStringLiteral("RS232C"), m_fraComm);
    m_optComm_1->setObjectName(QStringLiteral("optComm_1"));
    m_optComm_1->setGeometry(8, 22, 70, 22);
    m_optComm_1->setChecked(true);

    int x = 166;
    addLabel(QStringLiteral("lblPort"), QStringLiteral("Port:"), x);
    m_cboPort = addCombo(QStringLiteral("cboPort"), x, 118);
    // A device path (USB adapter, pseudo-terminal) can be typed; typing adds no list entry.
    m_cboPort->setEditable(true);
    m_cboPort->setInsertPolicy(QComboBox::NoInsert);
    x += 126;
    addLabel(QStringLiteral("lblParity"), QStringLiteral("Parity:"), x);
    m_cboParity = addCombo(QStringLiteral("cboParity"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblDataBit"), QStringLiteral("Data Bit:"), x);
    m_cboDataBit = addCombo(QStringLiteral("cboDataBit"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblStopBit"), QStringLiteral("Stop Bit:"), x);
    m_cboStopBit = addCombo(QStringLiteral("cboStopBit"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblBps"), QStringLiteral("bps:"), x);
    m_cboBps = addCombo(QStringLiteral("cboBps"), x, 80);
    x += 88;
    addLabel(QStringLiteral("lblDelay"), QStringLiteral("Recv Delay:"), x);
    m_cboDelay = addCombo(QStringLiteral("cboDelay"), x, 72);
    x += 86;

    m_cmdConnect = new QPushButton(QStringLiteral("&Connect"), m_fraPortSetting);
    m_cmdConnect->setObjectName(QStringLiteral("cmdConnect"));
    m_cmdConnect->setGeometry(x, 22, 82, 32);
    m_cmdDisconnect = new QPushButton(QStringLiteral("&Disconnect"), m_fraPortSetting);
    m_cmdDisconnect->setObjectName(QStringLiteral("cmdDisconnect"));
    m_cmdDisconnect->setGeometry(x + 86, 22, 82, 32);
    m_cmdDisconnect->setEnabled(false);
    m_chkReconnect = new QCheckBox(QStringLiteral("Reconnect"), m_fraPortSetting);
    m_chkReconnect->setObjectName(QStringLiteral("chkReconnect"));
    m_chkReconnect->setToolTip(QStringLiteral("When the port dies, wait for it and connect again by itself"));
    m_chkReconnect->setGeometry(x + 174, 27, 84, 22);

    connect(m_cmdConnect, &QPushButton::clicked, this, &PortPanel::connectClicked);
    connect(m_cmdDisconnect, &QPushButton::clicked, this, &PortPanel::disconnectClicked);
    connect(m_optComm_0, &QRadioButton::clicked, this, &PortPanel::linkChoiceClicked);
    connect(m_optComm_1, &QRadioButton::clicked, this, &PortPanel::linkChoiceClicked);
}

QLabel *PortPanel::addLabel(const QString &name, const QString &caption, int x)
{
    auto *l = new QLabel(caption, m_fraPortSetting);
    l->setObjectName(name);
    l->setGeometry(x, kLabelTop, 84, 16);
    return l;
}

QComboBox *PortPanel::addCombo(const QString &name, int x, int width)
{
    auto *c = new QComboBox(m_fraPortSetting);
    c->setObjectName(name);
    c->setGeometry(x, kComboTop, width, kComboHeight);
    c->setMaxVisibleItems(14);
    return c;
}

void PortPanel::fillFixedLists()
{
    m_cboParity->addItems({QStringLiteral("E"), QStringLiteral("M"), QStringLiteral("N"), QStringLiteral("O"),
                           QStringLiteral("S")});
    m_cboDataBit->addItems({QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("6"),
                            QStringLiteral("5"), QStringLiteral("4")});
    m_cboStopBit->addItems({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
    for (const char *b : {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400",
                          "56000", "57600", "115200", "256000"})
        m_cboBps->addItem(QString::fromLatin1(b));
    for (QComboBox *c : {m_cboParity, m_cboDataBit, m_cboStopBit, m_cboBps})
        c->setCurrentIndex(-1);
}

void PortPanel::fillDelayList()
{
    const QSignalBlocker block(m_cboDelay);
    for (const char *d :
         {"0", "0.01", "0.02", "0.03", "0.04", "0.05", "0.06", "0.07", "0.08", "0.09", "0.1", "0.2"})
        m_cboDelay->addItem(QString::fromLatin1(d));
    m_cboDelay->setCurrentIndex(-1);
}

void PortPanel::setStripWidth(int pixels)
{
    resize(pixels, height());
    m_fraPortSetting->resize(pixels, m_fraPortSetting->height());
}

QComboBox *PortPanel::box(Choice choice) const
{
    switch (choice) {
    case Choice::Parity:
        return m_cboParity;
    case Choice::DataBit:
        return m_cboDataBit;
    case Choice::StopBit:
        return m_cboStopBit;
    case Choice::Bps:
        return m_cboBps;
    case Choice::RecvDelay:
        break;
    }
    return m_cboDelay;
}

int PortPanel::choiceIndex(Choice choice) const
{
    return box(choice)->currentIndex();
}

void PortPanel::selectChoice(Choice choice, int index)
{
    if (index >= 0 && index < box(choice)->count())
        box(choice)->setCurrentIndex(index);
}

bool PortPanel::selectChoiceText(Choice choice, const QString &text)
{
    const int index = box(choice)->findText(text, Qt::MatchExactly);
    selectChoice(choice, index);
    return index >= 0;
}

void PortPanel::setPortNames(const QStringList &names)
{
    m_cboPort->clear();
    m_cboPort->addItems(names);
    // Filling selects nothing: only a stored choice that exists selects an entry.
    m_cboPort->setCurrentIndex(-1);
}

int PortPanel::portCount() const
{
    return m_cboPort->count();
}

int PortPanel::portIndex() const
{
    return m_cboPort->currentIndex();
}

int PortPanel::findPort(const QString &name) const
{
    return m_cboPort->findText(name);
}

void PortPanel::selectPort(int index)
{
    m_cboPort->setCurrentIndex(index);
}

void PortPanel::setPortText(const QString &text)
{
    m_cboPort->setEditText(text);
}

QString PortPanel::portText() const
{
    return m_cboPort->currentText().trimmed();
}

QString PortPanel::lineSettingsText() const
{
    return SerialSettings::text(m_cboBps->currentText(), m_cboParity->currentText(),
                                m_cboDataBit->currentText(), m_cboStopBit->currentText());
}

void PortPanel::chooseLink(bool tcp)
{
    (tcp ? m_optComm_0 : m_optComm_1)->setChecked(true);
}

bool PortPanel::reconnectWanted() const
{
    return m_chkReconnect->isChecked();
}

void PortPanel::setReconnectWanted(bool on)
{
    m_chkReconnect->setChecked(on);
}

void PortPanel::setConnectEnabled(bool on)
{
    m_cmdConnect->setEnabled(on);
}

void PortPanel::setDisconnectEnabled(bool on)
{
    m_cmdDisconnect->setEnabled(on);
}

bool PortPanel::isConnectEnabled() const
{
    return m_cmdConnect->isEnabled();
}

bool PortPanel::isDisconnectEnabled() const
{
    return m_cmdDisconnect->isEnabled();
}

void PortPanel::clickConnect()
{
    m_cmdConnect->click();
}

void PortPanel::clickDisconnect()
{
    m_cmdDisconnect->click();
}

double PortPanel::recvDelaySeconds() const
{
    return leadingNumber(m_cboDelay->currentText());
}

bool PortPanel::tcpChosen() const
{
    return m_optComm_0->isChecked();
}

} // namespace kivo
