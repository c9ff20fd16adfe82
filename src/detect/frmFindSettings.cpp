#include "detect/frmFindSettings.h"

#include "core/Fonts.h"
#include "detect/SerialProbePort.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kivo {

frmFindSettings::frmFindSettings(const QString &portName, const PatternLayout &pattern, QWidget *parent,
                                 ProbePortFactory factory)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFindSettings"));
    setWindowTitle(QStringLiteral("Find Settings"));
    setFont(controlFont());
    setModal(true);

    m_port = factory ? factory(portName) : std::make_unique<SerialProbePort>(portName);
    m_finder = std::make_unique<SettingsFinder>(*m_port, pattern);
    connect(m_finder.get(), &SettingsFinder::progress, this, &frmFindSettings::onProgress);
    connect(m_finder.get(), &SettingsFinder::finished, this, &frmFindSettings::onFinished);

    lblPort = new QLabel(QStringLiteral("Searching %1 for an indicator").arg(portName), this);
    lblPort->setObjectName(QStringLiteral("lblPort"));
    lblTry = new QLabel(QStringLiteral("Starting..."), this);
    lblTry->setObjectName(QStringLiteral("lblTry"));
    prgFind = new QProgressBar(this);
    prgFind->setObjectName(QStringLiteral("prgFind"));
    prgFind->setRange(0, int(SettingsFinder::tryOrder().size()));
    prgFind->setValue(0);
    prgFind->setFormat(QStringLiteral("%v / %m"));
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    QFont bold = lblResult->font();
    bold.setBold(true);
    lblResult->setFont(bold);

    cmdApply = new QPushButton(QStringLiteral("&Apply"), this);
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdApply->setEnabled(false);
    cmdApply->setAutoDefault(false);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFindSettings::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdApply);
    buttons->addWidget(cmdCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPort);
    layout->addWidget(lblTry);
    layout->addWidget(prgFind);
    layout->addWidget(lblResult);
    layout->addStretch();
    layout->addLayout(buttons);
    // Wide enough for the longest try and result texts ("115200 7O1, Toledo continuous (99 frames)").
    setMinimumWidth(360);
}

frmFindSettings::~frmFindSettings()
{
    // The finder uses the port: it goes first.
    m_finder.reset();
}

void frmFindSettings::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // From the event loop, so that the dialog is painted before the first port opens.
    QTimer::singleShot(0, m_finder.get(), &SettingsFinder::start);
}

void frmFindSettings::reject()
{
    m_finder->cancel();
    QDialog::reject();
}

void frmFindSettings::onProgress(int tryNumber, int tryCount, const LineTry &line)
{
    lblTry->setText(QStringLiteral("Try %1 of %2: %3").arg(tryNumber).arg(tryCount).arg(line.text()));
    prgFind->setValue(tryNumber - 1);
}

void frmFindSettings::onFinished(const FindResult &result)
{
    m_result = result;
    if (result.cancelled)
        return;
    prgFind->setValue(prgFind->maximum());
    lblTry->setText(result.error.isEmpty() ? QStringLiteral("%1 tries in %2 s")
                                                 .arg(result.tries.size())
                                                 .arg(result.elapsedMs / 1000.0, 0, 'f', 1)
                                           : result.error);
    lblTry->setWordWrap(true);
    lblResult->setText(result.summary());
    cmdApply->setEnabled(result.found);
    if (result.found) {
        cmdApply->setDefault(true);
        cmdApply->setFocus();
    }
    cmdCancel->setText(QStringLiteral("&Close"));
}

} // namespace kivo
