#include "Simulator.h"

#include "CommandDecoder.h"
#include "FrameBuilder.h"
#include "PtyLink.h"
#include "TcpClientLink.h"

#include <cmath>

namespace kivosim {

namespace {

constexpr int drainLimitMs = 500;
// How long MT-SICS S waits for a stable weight before it answers S I, and how often it looks.
constexpr int stableWaitMs = 3000;
constexpr int stableCheckMs = 20;

} // namespace

Simulator::Simulator(const SimOptions &options, QObject *parent)
    : QObject(parent), m_options(options),
      m_pattern(options.pattern, options.targetCounts(), options.seed, options.shape), m_garbler(options.seed)
{
    m_tick.setSingleShot(true);
    m_tick.setTimerType(Qt::PreciseTimer);
    connect(&m_tick, &QTimer::timeout, this, &Simulator::tick);
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setInterval(0);
    connect(&m_pumpTimer, &QTimer::timeout, this, &Simulator::pump);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Simulator::stop);
    m_drain.setInterval(10);
    connect(&m_drain, &QTimer::timeout, this, [this] {
        bool empty = true;
        for (const SimLink *link : std::as_const(m_links))
            empty = empty && link->backlog() == 0;
        if (empty || m_drainClock.elapsed() >= drainLimitMs)
            finishStop();
    });
    connect(&m_server, &QTcpServer::newConnection, this, &Simulator::acceptClients);
    m_replayTimer.setSingleShot(true);
    m_replayTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replayTimer, &QTimer::timeout, this, &Simulator::replayTick);
    m_stableWait.setInterval(stableCheckMs);
    connect(&m_stableWait, &QTimer::timeout, this, &Simulator::checkStable);
}

Simulator::~Simulator() = default;

QString Simulator::ptyDevice() const
{
    return m_pty ? m_pty->devicePath() : QString();
}

bool Simulator::start(QString *error)
{
    m_clock.start();
    if (!m_options.replayFile.isEmpty() &&
        !loadReplay(m_options.replayFile, m_options.speed, &m_replay, error))
        return false;
    if (m_options.tcpPort >= 0) {
        if (!m_server.listen(QHostAddress::LocalHost, quint16(m_options.tcpPort))) {
            *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                         .arg(m_options.tcpPort)
                         .arg(m_server.errorString());
            return false;
        }
    }
    if (m_options.pty) {
        auto *pty = new PtyLink(this);
        if (!pty->open(m_options.ptyLink, error)) {
            delete pty;
            m_server.close();
            return false;
        }
        // A replay keeps every byte for a terminal that opens the device late.
        if (m_options.rate > 0 && m_replay.isEmpty()) {
            const int frameBytes = m_options.protocol == Protocol::None
                                       ? FrameBuilder::frameLength(m_options.layout)
                                       : int(buildFrame(Reading{}).size());
            pty->setStaleLimit(std::max(1024, int(m_options.rate * frameBytes / 2)));
        }
        m_pty = pty;
        addLink(pty);
    }

    if (m_server.isListening())
        emit output(QStringLiteral("TCP 127.0.0.1:%1").arg(m_server.serverPort()));
    if (m_pty) {
        emit output(QStringLiteral("PTY %1").arg(m_pty->devicePath()));
        if (!m_pty->linkPath().isEmpty())
            emit output(QStringLiteral("LINK %1").arg(m_pty->linkPath()));
    }
    emit output(QStringLiteral("READY"));

    if (m_options.seconds > 0)
        m_deadline.start(int(std::ceil(m_options.seconds * 1000)));
    if (m_replay.isEmpty()) {
        // Indicators that only answer requests stay quiet until asked.
        if (ProtocolFrames::streams(m_options.protocol))
            startStream();
    } else if (m_pty)
        startReplay();
    return true;
}

void Simulator::startReplay()
{
    if (m_replayStarted || m_stopping)
        return;
    m_replayStarted = true;
    emit output(QStringLiteral("REPLAY %1 chunks").arg(m_replay.size()));
    m_replayClock.start();
    replayTick();
}

// Sends every chunk that is due, then waits for the next one; timer lateness does not add up, as
// each chunk is due at its time from the start of the replay.
void Simulator::replayTick()
{
    if (m_stopping)
        return;
    const qint64 now = m_replayClock.elapsed();
    while (m_replayNext < m_replay.size() && m_replay[m_replayNext].atMs <= now) {
        for (SimLink *link : std::as_const(m_links))
            link->send(onLine(link, m_replay[m_replayNext].bytes));
        ++m_replayNext;
    }
    if (m_replayNext < m_replay.size()) {
        m_replayTimer.start(int(m_replay[m_replayNext].atMs - now));
        return;
    }
    // The device stays there, quiet, so the terminal keeps what it shows; a signal or --seconds ends it.
    emit output(QStringLiteral("REPLAY done"));
}

void Simulator::stop()
{
    if (m_stopping)
        return;
    m_stopping = true;
    m_streaming = false;
    m_tick.stop();
    m_pumpTimer.stop();
    m_deadline.stop();
    m_stableWait.stop();
    m_server.close();
    m_drainClock.start();
    m_drain.start();
}

void Simulator::finishStop()
{
    m_drain.stop();
    const QList<SimLink *> links = m_links;
    m_links.clear();
    for (SimLink *link : links) {
        if (auto *client = qobject_cast<TcpClientLink *>(link))
            client->close();
        link->disconnect(this);
        delete link; // a pseudo-terminal's link is removed here
    }
    m_pty = nullptr;
    emit output(QStringLiteral("SENT %1 frames").arg(m_sent));
    emit finished();
}

void Simulator::addLink(SimLink *link)
{
    m_links.append(link);
    auto *decoder = new CommandDecoder(link);
    connect(link, &SimLink::received, this, [this, link, decoder](const QByteArray &bytes) {
        if (const std::optional<LineSetting> terminal = mismatchedTerminal(link)) {
            emit output(QStringLiteral("RECV %1 ignored, terminal at %2 %3")
                            .arg(link->name(), terminal->text(), describeBytes(bytes)));
            return;
        }
        onReceived(link, bytes);
        decoder->feed(bytes);
    });
    connect(decoder, &CommandDecoder::command, this, &Simulator::onCommand);
    connect(link, &SimLink::roomAvailable, this, &Simulator::schedulePump);
    connect(link, &SimLink::closed, this, [this, link] { removeLink(link); });
}

void Simulator::removeLink(SimLink *link)
{
    if (!m_links.removeOne(link))
        return;
    emit output(QStringLiteral("CLIENT %1 closed").arg(link->name()));
    link->disconnect(this);
    link->deleteLater();
}

void Simulator::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_stopping) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto *link = new TcpClientLink(socket, this);
        addLink(link);
        emit output(QStringLiteral("CLIENT %1 connected").arg(link->name()));
        if (!m_replay.isEmpty())
            startReplay();
    }
    schedulePump();
}

QString Simulator::describeBytes(const QByteArray &bytes)
{
    QString hex;
    QString text;
    for (const char c : bytes) {
        const auto byte = quint8(c);
        if (!hex.isEmpty())
            hex += QLatin1Char(' ');
        hex += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        switch (byte) {
        case 0x02:
            text += QLatin1String("<STX>");
            break;
        case 0x03:
            text += QLatin1String("<ETX>");
            break;
        case 0x0D:
            text += QLatin1String("<CR>");
            break;
        case 0x0A:
            text += QLatin1String("<LF>");
            break;
        default:
            if (byte >= 0x20 && byte < 0x7F)
                text += QLatin1Char(c);
            else
                text += QStringLiteral("<%1>").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    return QStringLiteral("HEX %1 TEXT %2").arg(hex, text);
}

void Simulator::onReceived(SimLink *link, const QByteArray &bytes)
{
    emit output(QStringLiteral("RECV %1 %2").arg(link->name(), describeBytes(bytes)));
}

void Simulator::onCommand(const QByteArray &text)
{
    if (m_stopping)
        return;
    const QByteArray command = text.toUpper();
    // A replay sends what was recorded and nothing else.
    if (!m_replay.isEmpty()) {
        emit output(QStringLiteral("CMD %1 ignored during a replay").arg(QString::fromLatin1(text)));
        return;
    }
    if (!ProtocolFrames::streams(m_options.protocol)) {
        answerRequest(command);
        return;
    }
    if (command == "Z") {
        zero();
    } else if (command == "T") {
        tare();
    } else if (command == "S") {
        m_streaming = !m_streaming;
        if (m_streaming) {
            startStream();
        } else {
            m_tick.stop();
            m_pumpTimer.stop();
        }
        emit output(
            QStringLiteral("CMD S %1").arg(m_streaming ? QStringLiteral("on") : QStringLiteral("off")));
    } else if (command == "W") {
        emit output(QStringLiteral("CMD W"));
        sendFrame(seconds(), true);
    } else {
        emit output(QStringLiteral("CMD ? %1").arg(QString::fromLatin1(text)));
    }
}

std::optional<LineSetting> Simulator::mismatchedTerminal(SimLink *link) const
{
    if (!m_options.line || link != m_pty)
        return std::nullopt;
    // Settings that cannot be read count as another line: nothing gets through.
    const LineSetting terminal = m_pty->terminalLine().value_or(LineSetting{0, 0, 'N', 0});
    if (terminal.agrees(*m_options.line))
        return std::nullopt;
    return terminal;
}

QByteArray Simulator::onLine(SimLink *link, const QByteArray &bytes)
{
    const std::optional<LineSetting> terminal = mismatchedTerminal(link);
    return terminal ? m_garbler.received(bytes, *m_options.line, *terminal) : bytes;
}

void Simulator::zero()
{
    m_zero += grossAt(seconds());
    m_tared = false;
    m_tare = 0;
    emit output(QStringLiteral("CMD Z zero"));
}

void Simulator::tare()
{
    const qint64 gross = grossAt(seconds());
    m_tared = gross != 0;
    m_tare = gross;
    emit output(m_tared ? QStringLiteral("CMD T tare %1").arg(gross) : QStringLiteral("CMD T tare cleared"));
}

// A protocol that only answers: every request gets its reply at once, but MT-SICS S, which waits
// for a stable weight. Any request ends a running SIR repetition and a waiting S, as on a balance.
void Simulator::answerRequest(const QByteArray &command)
{
    const ProtocolFormat format = m_options.protocolFormat();
    const Request request = ProtocolFrames::request(format.protocol, command);
    m_stableWait.stop();
    if (m_streaming) {
        m_streaming = false;
        m_tick.stop();
        m_pumpTimer.stop();
    }
    switch (request) {
    case Request::Zero:
        zero();
        break;
    case Request::Tare:
        tare();
        break;
    case Request::Weight:
        emit output(QStringLiteral("CMD %1 weight").arg(QString::fromLatin1(command)));
        sendFrame(seconds(), true);
        return;
    case Request::RepeatWeight:
        emit output(QStringLiteral("CMD %1 repeat").arg(QString::fromLatin1(command)));
        startStream();
        return;
    case Request::StableWeight:
        emit output(QStringLiteral("CMD %1 stable weight").arg(QString::fromLatin1(command)));
        m_stableWaitClock.start();
        checkStable();
        return;
    case Request::Status:
    case Request::Reset:
    case Request::StreamToggle:
        emit output(QStringLiteral("CMD %1").arg(QString::fromLatin1(command)));
        break;
    case Request::Unknown:
        emit output(QStringLiteral("CMD ? %1").arg(QString::fromLatin1(command)));
        break;
    }
    sendBytes(ProtocolFrames::reply(format, request, readingAt(seconds()), m_tared ? m_tare : 0));
}

// MT-SICS S: the weight once it is stable (or over or under the range), S I when it does not
// settle in time.
void Simulator::checkStable()
{
    const Reading reading = readingAt(seconds());
    if (reading.status != Status::Unstable) {
        m_stableWait.stop();
        sendReading(reading, true);
    } else if (m_stableWaitClock.elapsed() >= stableWaitMs) {
        m_stableWait.stop();
        emit output(QStringLiteral("CMD S busy"));
        sendBytes(ProtocolFrames::sicsBusy());
    } else if (!m_stableWait.isActive()) {
        m_stableWait.start();
    }
}

void Simulator::sendBytes(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    for (SimLink *link : std::as_const(m_links))
        link->send(onLine(link, bytes));
}

QByteArray Simulator::buildFrame(const Reading &reading) const
{
    if (m_options.protocol == Protocol::None)
        return FrameBuilder::build(m_options.layout, reading, m_options.decimals, m_options.id);
    return ProtocolFrames::weight(m_options.protocolFormat(), reading, m_tared ? m_tare : 0);
}

double Simulator::seconds() const
{
    return double(m_clock.nsecsElapsed()) / 1e9;
}

qint64 Simulator::grossAt(double seconds)
{
    return m_pattern.sample(seconds).counts - m_zero;
}

Reading Simulator::readingAt(double seconds)
{
    Reading reading = m_pattern.sample(seconds);
    reading.counts -= m_zero;
    if (m_tared) {
        reading.counts -= m_tare;
        reading.net = true;
    }
    return reading;
}

void Simulator::sendFrame(double seconds, bool onDemand)
{
    sendReading(readingAt(seconds), onDemand);
}

void Simulator::sendReading(const Reading &reading, bool onDemand)
{
    const QByteArray frame = buildFrame(reading);
    bool delivered = false;
    for (SimLink *link : std::as_const(m_links)) {
        // A fixed-rate stream does not wait for a slow reader; a frame asked for is always queued.
        if (!link->hasRoom() && m_options.rate > 0)
            link->dropBacklog();
        if (link->hasRoom() || onDemand) {
            link->send(onLine(link, frame));
            delivered = true;
        }
    }
    if (!delivered)
        return;
    ++m_sent;
    if (m_options.frames > 0 && m_sent >= m_options.frames)
        stop();
}

void Simulator::startStream()
{
    m_streaming = true;
    m_streamStartNs = m_clock.nsecsElapsed();
    m_slot = 0;
    if (m_options.rate > 0)
        tick();
    else
        schedulePump();
}

// Frame k of a fixed-rate stream is due at start + k / rate: each wait is computed from the
// stream's start, so timer lateness never accumulates. Slots missed by more than a tenth of a
// second are skipped rather than sent in a burst.
void Simulator::tick()
{
    if (!m_streaming || m_stopping)
        return;
    const double periodNs = 1e9 / m_options.rate;
    const auto dueNs = [&](qint64 slot) { return m_streamStartNs + qint64(std::llround(slot * periodNs)); };
    const qint64 burstLimit = std::max<qint64>(1, qint64(m_options.rate / 10));

    qint64 now = m_clock.nsecsElapsed();
    for (qint64 sent = 0; dueNs(m_slot) <= now && sent < burstLimit; ++sent) {
        sendFrame(double(dueNs(m_slot)) / 1e9, false);
        ++m_slot;
        if (m_stopping)
            return;
    }
    now = m_clock.nsecsElapsed();
    if (dueNs(m_slot) <= now)
        m_slot = qint64((now - m_streamStartNs) / periodNs) + 1;
    const qint64 waitNs = dueNs(m_slot) - now;
    m_tick.start(int((waitNs + 999999) / 1000000));
}

void Simulator::schedulePump()
{
    if (m_options.rate <= 0 && m_streaming && !m_stopping && !m_pumpTimer.isActive())
        m_pumpTimer.start();
}

// As fast as the links take frames: a batch while some link has room, then back to the event loop;
// a link that fills up wakes the pump again when it drains.
void Simulator::pump()
{
    if (!m_streaming || m_stopping)
        return;
    for (int batch = 0; batch < 64; ++batch) {
        bool room = false;
        for (const SimLink *link : std::as_const(m_links))
            room = room || link->hasRoom();
        if (!room)
            return;
        sendFrame(seconds(), false);
        if (m_stopping)
            return;
    }
    schedulePump();
}

} // namespace kivosim
