#include "monitor/MonitorController.h"

#include "core/AppData.h"
#include "core/Conversions.h"
#include "core/MessageBox.h"
#include "link/Link.h"
#include "link/PortPanel.h"
#include "monitor/FrameCollector.h"
#include "monitor/IndicatorPanel.h"
#include "monitor/SegmentDisplay.h"
#include "monitor/frmSetting.h"
#include "traffic/RxBuffers.h"

#include <QComboBox>
#include <QMetaMethod>
#include <QPushButton>
#include <QRadioButton>

namespace kivo {

namespace {

void run(const std::function<void()> &hook)
{
    if (hook)
        hook();
}

} // namespace

MonitorController::MonitorController(IndicatorPanel &panel, const PortPanel &port, AppData &data,
                                     QWidget *window)
    : QObject(window), m_panel(panel), m_port(port), m_data(data), m_window(window)
{
    connect(&panel, &IndicatorPanel::monOnClicked, this, &MonitorController::cmdMonOn_Click);
    connect(&panel, &IndicatorPanel::monOffClicked, this, &MonitorController::cmdMonOff_Click);
    connect(&panel, &IndicatorPanel::monSetClicked, this, &MonitorController::cmdMonSet_Click);
}

bool MonitorController::isMonitoring() const
{
    return m_data.bMonitor;
}

bool MonitorController::CheckFrame(Link *link, RxBuffers &buffers, const QByteArray &piece)
{
    const int mode = m_data.iIndicatorMode;
    const uint64_t droppedBefore = buffers.bytesDropped;
    // Readings are built only for listeners: the frame step runs for every byte of a stream.
    static const QMetaMethod readSignal = QMetaMethod::fromSignal(&MonitorController::frameRead);
    std::function<void(const FrameStep &)> onFrame;
    if (isSignalConnected(readSignal))
        onFrame = [&](const FrameStep &step) {
            WeightReading r;
            r.link = link;
            r.endpoint = link ? link->endpoint() : QString();
            r.time = QDateTime::currentDateTime();
            r.layout = mode;
            r.status = step.status.value_or(QString());
            r.weightText = step.weight;
            r.weight = weightValue(step.weight);
            const LampState lamps = ShowLamps(r.status);
            r.stable = lamps.stable;
            r.overload = lamps.overload;
            emit frameRead(r);
        };
    const ChunkResult result = feedChunk(buffers, piece, mode, onFrame);
    if (buffers.bytesDropped > droppedBefore)
        emit bytesDropped(link, qint64(buffers.bytesDropped - droppedBefore));
    if (result.lastStatus)
        m_panel.setLamps(ShowLamps(*result.lastStatus));
    return bool(result);
}

void MonitorController::showWeight(const QString &weight)
{
    m_panel.setWeight(weight);
}

void MonitorController::cmdMonOn_Click()
{
    if (m_port.recvDelaySeconds() > kMonitorDelayLimit) {
        showMessage(m_window,
                    QStringLiteral("이 기능을 사용하려면 Recv Delay 값의 범위를 0.04이하로 조정하세요."),
                    QMessageBox::Warning, appTitle());
        run(m_links.discardSerialInput);
        return;
    }
    m_panel.setIndiColor(IndicatorPanel::kReadyColor);
    m_panel.setWeight(QStringLiteral("READY"));
    if (m_port.tcpChosen() && !m_data.strWinSockIP.isEmpty())
        run(m_links.connectTcp);
    m_data.bMonitor = true;
    emit monitoringChanged(true);
}

void MonitorController::cmdMonOff_Click()
{
    m_panel.setIndiColor(IndicatorPanel::kIdleColor);
    m_panel.setWeight(QStringLiteral("8888888"));
    m_data.bMonitor = false;
    m_panel.setLamps(LampState{});
    run(m_links.closeTcp);
    emit monitoringChanged(false);
}

void MonitorController::cmdMonSet_Click()
{
    frmSetting dialog(m_data, m_window);
    dialog.exec();
}

} // namespace kivo
