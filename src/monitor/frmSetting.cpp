#include "monitor/frmSetting.h"

#include "core/AppData.h"
#include "core/Fonts.h"
#include "core/HexCodec.h"
#include "core/SettingsKeys.h"
#include "core/SettingsStore.h"
#include "monitor/FrameCollector.h"
#include "monitor/FrameReaders.h"
#include "monitor/frmPattern.h"
#include "protocol/RequestText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

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

frmSetting::frmSetting(AppData &data, const MonitorOptions &options, QWidget *parent)
    : QDialog(parent), m_data(data), m_options(options)
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Monitoring Setting"));
    setFont(controlFont());
    setFixedSize(264, 304);

    fraSetting = new QGroupBox(QStringLiteral("Setting"), this);
    fraSetting->setGeometry(8, 6, 248, 106);
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
    cmdPattern = new QPushButton(QStringLiteral("&Pattern..."), fraSetting);
    cmdPattern->setObjectName(QStringLiteral("cmdPattern"));
    cmdPattern->setGeometry(12, 74, 90, 24);
    cmdPattern->setAutoDefault(false);
    cmdFindSettings = new QPushButton(QStringLiteral("&Find Settings"), fraSetting);
    cmdFindSettings->setObjectName(QStringLiteral("cmdFindSettings"));
    cmdFindSettings->setGeometry(110, 74, 126, 24);
    cmdFindSettings->setAutoDefault(false);
    cmdFindSettings->setEnabled(false);

    fraPoll = new QGroupBox(QStringLiteral("Polling"), this);
    fraPoll->setGeometry(8, 116, 248, 52);
    chkPoll = new QCheckBox(QStringLiteral("Every"), fraPoll);
    chkPoll->setObjectName(QStringLiteral("chkPoll"));
    chkPoll->setGeometry(12, 22, 62, 20);
    spnPollInterval = new QSpinBox(fraPoll);
    spnPollInterval->setObjectName(QStringLiteral("spnPollInterval"));
    spnPollInterval->setRange(MonitorOptions::kMinPollMs, MonitorOptions::kMaxPollMs);
    spnPollInterval->setSuffix(QStringLiteral(" ms"));
    spnPollInterval->setGeometry(74, 20, 84, 22);
    lblPollRequest = new QLabel(fraPoll);
    lblPollRequest->setObjectName(QStringLiteral("lblPollRequest"));
    lblPollRequest->setGeometry(164, 22, 76, 20);

    fraTcp = new QGroupBox(QStringLiteral("TCP/IP"), this);
    fraTcp->setGeometry(8, 172, 248, 78);
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
    cmdOK->setGeometry(64, 268, 90, 26);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(164, 268, 90, 26);
    cmdCancel->setAutoDefault(false);

    connect(cmdOK, &QPushButton::clicked, this, &frmSetting::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetting::cmdCancel_Click);
    connect(cmdPattern, &QPushButton::clicked, this, &frmSetting::cmdPattern_Click);
    connect(cmdFindSettings, &QPushButton::clicked, this, &frmSetting::cmdFindSettings_Click);
    connect(cboMode, &QComboBox::currentIndexChanged, this, &frmSetting::showPollRequest);

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

    chkPoll->setChecked(m_options.poll);
    spnPollInterval->setValue(m_options.pollMs);
    showPollRequest();
}

void frmSetting::setHooks(std::function<QByteArray()> recentBytes,
                          std::function<std::optional<int>(const PatternLayout &)> findSettings)
{
    m_recentBytes = std::move(recentBytes);
    m_findSettings = std::move(findSettings);
    cmdFindSettings->setEnabled(bool(m_findSettings));
}

void frmSetting::showPollRequest()
{
    const QByteArray request = pollRequest(cboMode->currentIndex(), m_options.pattern);
    lblPollRequest->setText(request.isEmpty() ? QStringLiteral("(streams)") : requestText(request));
    lblPollRequest->setToolTip(request.isEmpty()
                                   ? QStringLiteral("This layout sends by itself: nothing to poll.")
                                   : QStringLiteral("Polling sends %1").arg(requestText(request)));
}

void frmSetting::cmdPattern_Click()
{
    frmPattern dialog(m_options.pattern, m_recentBytes ? m_recentBytes() : QByteArray(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_options.pattern = dialog.pattern();
    cboMode->setCurrentIndex(ModePattern);
    showPollRequest();
}

void frmSetting::cmdFindSettings_Click()
{
    if (!m_findSettings)
        return;
    if (const std::optional<int> mode = m_findSettings(m_options.pattern))
        cboMode->setCurrentIndex(*mode);
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
    m_options.poll = chkPoll->isChecked();
    m_options.pollMs = spnPollInterval->value();
    accept();
}

void frmSetting::cmdCancel_Click()
{
    reject();
}

} // namespace kivo
