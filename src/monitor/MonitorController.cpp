#include "monitor/MonitorController.h"

#include "core/Conversions.h"
#include "core/MessageBox.h"
#include "app/frmMain.h"
#include "link/PortPanel.h"
#include "monitor/FrameCollector.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"
#include "monitor/frmSetting.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

namespace kivo {

namespace {

// Longest Recv Delay, in seconds, with which serial chunks stay short enough for monitoring.
constexpr double kMonitorDelayLimit = 0.04;

void run(const std::function<void()> &hook)
{
    if (hook)
        hook();
}

} // namespace

MonitorController::MonitorController(frmMain &window) : QObject(&window), m_window(window)
{
    IndicatorPanel *panel = window.indicatorPanel();
    connect(panel->cmdMonOn, &QPushButton::clicked, this, &MonitorController::cmdMonOn_Click);
    connect(panel->cmdMonOff, &QPushButton::clicked, this, &MonitorController::cmdMonOff_Click);
    connect(panel->cmdMonSet, &QPushButton::clicked, this, &MonitorController::cmdMonSet_Click);
}

bool MonitorController::CheckFrame(RxBuffers &buffers, const QByteArray &piece)
{
    const ChunkResult result = feedChunk(buffers, piece, m_window.data().iIndicatorMode);
    if (result.lastStatus)
        m_window.indicatorPanel()->setLamps(ShowLamps(*result.lastStatus));
    return bool(result);
}

void MonitorController::showWeight(const QString &weight)
{
    m_window.indicatorPanel()->setWeight(weight);
}

void MonitorController::cmdMonOn_Click()
{
    IndicatorPanel *panel = m_window.indicatorPanel();
    PortPanel *port = m_window.portPanel();
    if (leadingNumber(port->cboDelay->currentText()) > kMonitorDelayLimit) {
        showMessage(&m_window,
                    QStringLiteral("이 기능을 사용하려면 Recv Delay 값의 범위를 0.04이하로 조정하세요."),
                    QMessageBox::Warning, appTitle());
        run(m_links.discardSerialInput);
        return;
    }
    panel->setIndiColor(IndicatorPanel::kReadyColor);
    panel->setWeight(QStringLiteral("READY"));
    AppData &data = m_window.data();
    if (port->optComm_0->isChecked() && !data.strWinSockIP.isEmpty())
        run(m_links.connectTcp);
    data.bMonitor = true;
}

void MonitorController::cmdMonOff_Click()
{
    IndicatorPanel *panel = m_window.indicatorPanel();
    panel->setIndiColor(IndicatorPanel::kIdleColor);
    panel->setWeight(QStringLiteral("8888888"));
    m_window.data().bMonitor = false;
    panel->setLamps(LampState{});
    run(m_links.closeTcp);
}

void MonitorController::cmdMonSet_Click()
{
    frmSetting dialog(m_window.data(), &m_window);
    dialog.exec();
}

} // namespace kivo
