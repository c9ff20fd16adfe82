#include "link/PortPanel.h"

#include "core/Conversions.h"
#include "core/Fonts.h"

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

PortPanel::PortPanel(QWidget *controlPanel) : QObject(controlPanel)
{
    fraPortSetting = new QGroupBox(controlPanel);
    fraPortSetting->setObjectName(QStringLiteral("fraPortSetting"));
    fraPortSetting->setGeometry(8, 0, 923, 65);

    fraComm = new QGroupBox(QStringLiteral("Communication"), fraPortSetting);
    fraComm->setObjectName(QStringLiteral("fraComm"));
    fraComm->setGeometry(6, 6, 150, 54);
    optComm_0 = new QRadioButton(QStringLiteral("TCP/IP"), fraComm);
    optComm_0->setObjectName(QStringLiteral("optComm_0"));
    optComm_0->setGeometry(80, 22, 66, 22);
    optComm_1 = new QRadioButton(QStringLiteral("RS232C"), fraComm);
    optComm_1->setObjectName(QStringLiteral("optComm_1"));
    optComm_1->setGeometry(8, 22, 70, 22);
    optComm_1->setChecked(true);

    int x = 166;
    addLabel(QStringLiteral("lblPort"), QStringLiteral("Port:"), x);
    cboPort = addCombo(QStringLiteral("cboPort"), x, 118);
    // A device path (USB adapter, pseudo-terminal) can be typed; typing adds no list entry.
    cboPort->setEditable(true);
    cboPort->setInsertPolicy(QComboBox::NoInsert);
    x += 126;
    addLabel(QStringLiteral("lblParity"), QStringLiteral("Parity:"), x);
    cboParity = addCombo(QStringLiteral("cboParity"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblDataBit"), QStringLiteral("Data Bit:"), x);
    cboDataBit = addCombo(QStringLiteral("cboDataBit"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblStopBit"), QStringLiteral("Stop Bit:"), x);
    cboStopBit = addCombo(QStringLiteral("cboStopBit"), x, 56);
    x += 64;
    addLabel(QStringLiteral("lblBps"), QStringLiteral("bps:"), x);
    cboBps = addCombo(QStringLiteral("cboBps"), x, 80);
    x += 88;
    addLabel(QStringLiteral("lblDelay"), QStringLiteral("Recv Delay:"), x);
    cboDelay = addCombo(QStringLiteral("cboDelay"), x, 72);
    x += 86;

    cmdConnect = new QPushButton(QStringLiteral("&Connect"), fraPortSetting);
    cmdConnect->setObjectName(QStringLiteral("cmdConnect"));
    cmdConnect->setGeometry(x, 22, 90, 32);
    cmdDisconnect = new QPushButton(QStringLiteral("&Disconnect"), fraPortSetting);
    cmdDisconnect->setObjectName(QStringLiteral("cmdDisconnect"));
    cmdDisconnect->setGeometry(x + 96, 22, 90, 32);
    cmdDisconnect->setEnabled(false);
    chkReconnect = new QCheckBox(QStringLiteral("Reconnect"), fraPortSetting);
    chkReconnect->setObjectName(QStringLiteral("chkReconnect"));
    chkReconnect->setToolTip(QStringLiteral("When the port dies, wait for it and connect again by itself"));
    chkReconnect->setGeometry(x + 192, 27, 74, 22);
}

QLabel *PortPanel::addLabel(const QString &name, const QString &caption, int x)
{
    auto *l = new QLabel(caption, fraPortSetting);
    l->setObjectName(name);
    l->setGeometry(x, kLabelTop, 84, 16);
    return l;
}

QComboBox *PortPanel::addCombo(const QString &name, int x, int width)
{
    auto *c = new QComboBox(fraPortSetting);
    c->setObjectName(name);
    c->setGeometry(x, kComboTop, width, kComboHeight);
    c->setMaxVisibleItems(14);
    return c;
}

void PortPanel::fillFixedLists()
{
    cboParity->addItems({QStringLiteral("E"), QStringLiteral("M"), QStringLiteral("N"), QStringLiteral("O"),
                         QStringLiteral("S")});
    cboDataBit->addItems({QStringLiteral("8"), QStringLiteral("7"), QStringLiteral("6"), QStringLiteral("5"),
                          QStringLiteral("4")});
    cboStopBit->addItems({QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")});
    for (const char *b : {"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400",
                          "56000", "57600", "115200", "256000"})
        cboBps->addItem(QString::fromLatin1(b));
    for (QComboBox *c : {cboParity, cboDataBit, cboStopBit, cboBps})
        c->setCurrentIndex(-1);
}

void PortPanel::fillDelayList()
{
    const QSignalBlocker block(cboDelay);
    for (const char *d :
         {"0", "0.01", "0.02", "0.03", "0.04", "0.05", "0.06", "0.07", "0.08", "0.09", "0.1", "0.2"})
        cboDelay->addItem(QString::fromLatin1(d));
    cboDelay->setCurrentIndex(-1);
}

void PortPanel::setStripWidth(int pixels)
{
    fraPortSetting->resize(pixels, fraPortSetting->height());
}

double PortPanel::recvDelaySeconds() const
{
    return leadingNumber(cboDelay->currentText());
}

bool PortPanel::tcpChosen() const
{
    return optComm_0->isChecked();
}

} // namespace kivo
