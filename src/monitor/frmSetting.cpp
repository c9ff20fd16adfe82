#include "monitor/frmSetting.h"

#include "core/AppData.h"
#include "core/Fonts.h"
#include "core/HexCodec.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "monitor/FrameCollector.h"
#include "monitor/FrameReaders.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivo {

namespace {

constexpr int kIdEntries = 100;

QLabel *label(const QString &caption, QWidget *parent, const QRect &geometry)
{
    auto *l = new QLabel(caption, parent);
    l->setGeometry(geometry);
    return l;
}

QString key(QLatin1StringView name)
{
    return QString(name);
}

} // namespace

frmSetting::frmSetting(AppData &data, QWidget *parent) : QDialog(parent), m_data(data)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Monitoring Setting"));
    setFont(controlFont());
    setFixedSize(264, 214);

    fraSetting = new QGroupBox(QStringLiteral("Setting"), this);
    fraSetting->setGeometry(8, 6, 248, 78);
    label(QStringLiteral("Indicator ID:"), fraSetting, QRect(12, 22, 76, 20));
    cboID = new QComboBox(fraSetting);
    cboID->setObjectName(QStringLiteral("cboID"));
    cboID->setEditable(true);
    cboID->setInsertPolicy(QComboBox::NoInsert);
    cboID->setGeometry(96, 20, 140, 22);
    label(QStringLiteral("Mode:"), fraSetting, QRect(12, 48, 76, 20));
    cboMode = new QComboBox(fraSetting);
    cboMode->setObjectName(QStringLiteral("cboMode"));
    cboMode->setGeometry(96, 46, 140, 22);

    fraTcp = new QGroupBox(QStringLiteral("TCP/IP"), this);
    fraTcp->setGeometry(8, 90, 248, 78);
    label(QStringLiteral("IP:"), fraTcp, QRect(12, 22, 76, 20));
    txtIP = new QLineEdit(fraTcp);
    txtIP->setObjectName(QStringLiteral("txtIP"));
    txtIP->setGeometry(96, 20, 140, 22);
    label(QStringLiteral("Port:"), fraTcp, QRect(12, 48, 76, 20));
    txtPort = new QLineEdit(fraTcp);
    txtPort->setObjectName(QStringLiteral("txtPort"));
    txtPort->setGeometry(96, 46, 140, 22);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(64, 178, 90, 26);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(164, 178, 90, 26);
    cmdCancel->setAutoDefault(false);

    connect(cmdOK, &QPushButton::clicked, this, &frmSetting::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetting::cmdCancel_Click);

    Form_Load();
}

void frmSetting::Form_Load()
{
    for (int id = 0; id < kIdEntries; ++id)
        cboID->addItem(QString::number(id));
    // An index outside the list (a hand-edited store) selects nothing and leaves the box empty.
    cboID->setCurrentIndex(m_data.iIndicatorID < kIdEntries ? m_data.iIndicatorID : -1);
    if (cboID->currentIndex() < 0)
        cboID->setEditText(QString());

    cboMode->addItems(indicatorModeNames());
    cboMode->setCurrentIndex(m_data.iIndicatorMode < cboMode->count() ? m_data.iIndicatorMode : -1);

    txtIP->setText(m_data.strWinSockIP);
    txtPort->setText(m_data.strWinSockPort);
}

int frmSetting::selectedIdIndex() const
{
    const QString typed = cboID->currentText();
    const int current = cboID->currentIndex();
    if (current >= 0 && cboID->itemText(current) == typed)
        return current;
    return cboID->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void frmSetting::cmdOK_Click()
{
    const int id = selectedIdIndex();
    const int mode = cboMode->currentIndex();

    WriteSetting(key(SettingsKeys::IndicatorID), QString::number(id));
    WriteSetting(key(SettingsKeys::IndicatorMode), QString::number(mode));
    WriteSetting(key(SettingsKeys::WinSockIP), txtIP->text());
    WriteSetting(key(SettingsKeys::WinSockPort), txtPort->text());

    m_data.iIndicatorMode = int16_t(mode);
    m_data.iIndicatorID = int16_t(id);
    m_data.strWinSockIP = trimBlanks(txtIP->text());
    m_data.strWinSockPort = trimBlanks(txtPort->text());
    accept();
}

void frmSetting::cmdCancel_Click()
{
    reject();
}

} // namespace kivo
