#include "monitor/MonitorController.h"

#include "core/AppData.h"
#include "core/Conversions.h"
#include "core/MessageBox.h"
#include "link/Link.h"
#include "link/PortPanel.h"
#include "monitor/FrameCollector.h"
#include "monitor/FrameReaders.h"
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
    connect(&m_poll, &QTimer::timeout, this, &MonitorController::pollTick);
}

void MonitorController::restoreOptions(const QString &listFile)
{
    m_listFile = listFile;
    setOptions(loadMonitorOptions(listFile));
}

void MonitorController::setOptions(const MonitorOptions &options)
{
    m_options = options;
    m_readers.clear();
    updatePolling();
}

void MonitorController::updatePolling()
{
    const QByteArray request = pollRequest(m_data.iIndicatorMode, m_options.pattern);
    if (m_data.bMonitor && m_options.poll && !request.isEmpty())
        m_poll.start(m_options.pollMs);
    else
        m_poll.stop();
}

void MonitorController::pollTick()
{
    const QByteArray request = pollRequest(m_data.iIndicatorMode, m_options.pattern);
    if (m_links.sendRequest && !request.isEmpty())
        m_links.sendRequest(request);
}

FrameReader *MonitorController::readerFor(Link *link, int mode)
{
    for (LinkReader &r : m_readers) {
        if (r.link == link && r.mode == mode)
            return r.reader.get();
    }
    std::erase_if(m_readers, [link](const LinkReader &r) { return r.link == link; });
    m_readers.push_back({link, mode, makeFrameReader(mode, m_options.pattern)});
    return m_readers.back().reader.get();
}

WeightReading MonitorController::readingOf(const PieceStamp &piece, const ProtocolFrame &frame)
{
    // Every frame of a piece was handled at the same moment, and reading the local time is costly
    // (the time zone is looked up each time): the time and the endpoint are taken once a piece.
    if (!piece.stamp) {
        piece.stamp.emplace();
        piece.stamp->link = piece.link;
        piece.stamp->endpoint = piece.link ? piece.link->endpoint() : QString();
        piece.stamp->time = QDateTime::currentDateTime();
        piece.stamp->layout = piece.mode;
    }
    WeightReading r = *piece.stamp;
    r.status = frame.status;
    r.weightText = frame.weightText;
    r.unit = frame.unit;
    r.weight = frame.weight;
    r.stable = frame.stable;
    r.overload = frame.overload;
    return r;
}

bool MonitorController::checkProtocolFrame(Link *link, RxBuffers &buffers, const QByteArray &piece, int mode)
{
    static const QMetaMethod readSignal = QMetaMethod::fromSignal(&MonitorController::frameRead);
    const bool listened = isSignalConnected(readSignal);
    const PieceStamp stamp{link, mode, std::nullopt};
    FrameReader *reader = readerFor(link, mode);
    // A layout that cannot read (an unknown mode, a pattern with a problem) finds nothing.
    qint64 dropped = piece.size();
    std::optional<ProtocolFrame> last;
    if (reader) {
        dropped = reader->feed(piece, [&](const ProtocolFrame &frame) {
            if (!frame.valid)
                return;
            ++buffers.framesFound;
            buffers.strWeight = frame.weightText;
            if (listened)
                emit frameRead(readingOf(stamp, frame));
            last = frame;
        });
    }
    if (dropped > 0) {
        buffers.bytesDropped += uint64_t(dropped);
        emit bytesDropped(link, dropped);
    }
    if (!last)
        return false;
    m_panel.setLamps(LampState{last->stable, last->overload});
    // A frame without a unit (an overload reply, a pattern without a unit group) keeps the one shown.
    if (!last->unit.isEmpty())
        m_panel.setUnit(last->unit);
    return true;
}

bool MonitorController::isMonitoring() const
{
    return m_data.bMonitor;
}

bool MonitorController::CheckFrame(Link *link, RxBuffers &buffers, const QByteArray &piece)
{
    const int mode = m_data.iIndicatorMode;
    if (!frameLayout(mode))
        return checkProtocolFrame(link, buffers, piece, mode);
    const uint64_t droppedBefore = buffers.bytesDropped;
    // Readings are built only for listeners: the frame step runs for every byte of a stream.
    static const QMetaMethod readSignal = QMetaMethod::fromSignal(&MonitorController::frameRead);
    std::function<void(const FrameStep &)> onFrame;
    const PieceStamp stamp{link, mode, std::nullopt};
    if (isSignalConnected(readSignal))
        onFrame = [&](const FrameStep &step) { emit frameRead(readingOf(stamp, fixedLayoutFrame(step))); };
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
    // The fixed layouts always weigh in kg; a protocol names its unit in every frame.
    m_panel.setUnit(frameLayout(m_data.iIndicatorMode) ? QStringLiteral("kg") : QString());
    if (m_port.tcpChosen() && !m_data.strWinSockIP.isEmpty())
        run(m_links.connectTcp);
    m_data.bMonitor = true;
    m_readers.clear();
    updatePolling();
    emit monitoringChanged(true);
}

void MonitorController::cmdMonOff_Click()
{
    m_panel.setIndiColor(IndicatorPanel::kIdleColor);
    m_panel.setWeight(QStringLiteral("8888888"));
    m_data.bMonitor = false;
    m_panel.setLamps(LampState{});
    m_panel.setUnit(QStringLiteral("kg"));
    updatePolling();
    run(m_links.closeTcp);
    emit monitoringChanged(false);
}

void MonitorController::cmdMonSet_Click()
{
    frmSetting dialog(m_data, m_options, m_window);
    dialog.setHooks(m_dialogHooks.recentBytes, m_dialogHooks.findSettings);
    if (dialog.exec() != QDialog::Accepted || dialog.options() == m_options)
        return;
    if (!saveMonitorOptions(dialog.options(), m_listFile))
        showMessage(m_window, QStringLiteral("The pattern layout could not be stored in %1.").arg(m_listFile),
                    QMessageBox::Warning, appTitle());
    setOptions(dialog.options());
}

} // namespace kivo
