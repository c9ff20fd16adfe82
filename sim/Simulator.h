#pragma once

#include "Replay.h"
#include "SimLine.h"
#include "SimOptions.h"
#include "WeightPattern.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

namespace kivosim {

class SimLink;
class PtyLink;

// The simulated indicator: streams weight frames to every link at a fixed rate (or as fast as the
// links take them), reports everything it receives, and obeys its few commands.
class Simulator : public QObject
{
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &options, QObject *parent = nullptr);
    ~Simulator() override;

    // Opens the endpoints and starts the stream. On failure nothing is left open.
    [[nodiscard]] bool start(QString *error);

    // Stops the stream, lets queued bytes go out (briefly), closes every link, then emits finished().
    void stop();

    [[nodiscard]] qint64 framesSent() const { return m_sent; }
    [[nodiscard]] quint16 tcpPort() const { return m_server.serverPort(); }
    [[nodiscard]] QString ptyDevice() const;
    [[nodiscard]] bool streaming() const { return m_streaming; }

    // Renders received bytes for the RECV line: "HEX 5A 0D TEXT Z<CR>".
    [[nodiscard]] static QString describeBytes(const QByteArray &bytes);

signals:
    // One line for standard output, without its line end.
    void output(const QString &line);
    void finished();

private:
    void addLink(SimLink *link);
    void removeLink(SimLink *link);
    void acceptClients();
    void onReceived(SimLink *link, const QByteArray &bytes);
    void onCommand(const QByteArray &text);
    void zero();
    void tare();
    void answerRequest(const QByteArray &command);
    void checkStable();
    void sendBytes(const QByteArray &bytes);
    [[nodiscard]] QByteArray buildFrame(const Reading &reading) const;

    void startStream();
    void tick();
    void pump();
    void schedulePump();
    [[nodiscard]] double seconds() const;
    [[nodiscard]] Reading readingAt(double seconds);
    [[nodiscard]] qint64 grossAt(double seconds);
    void sendFrame(double seconds, bool onDemand);
    void sendReading(const Reading &reading, bool onDemand);
    void finishStop();
    // With --line: what the terminal on the pseudo-terminal reads of bytes sent to it, and whether
    // it is set as the line is, so that what it sends is heard. Other links always agree.
    [[nodiscard]] QByteArray onLine(SimLink *link, const QByteArray &bytes);
    [[nodiscard]] std::optional<LineSetting> mismatchedTerminal(SimLink *link) const;
    void startReplay();
    void replayTick();

    SimOptions m_options;
    WeightPattern m_pattern;
    QElapsedTimer m_clock;
    QTcpServer m_server;
    PtyLink *m_pty = nullptr;
    QList<SimLink *> m_links;

    bool m_streaming = false;
    bool m_stopping = false;
    qint64 m_streamStartNs = 0;
    qint64 m_slot = 0;
    QTimer m_tick;
    QTimer m_pumpTimer;
    QTimer m_deadline;
    QTimer m_drain;
    QElapsedTimer m_drainClock;

    qint64 m_zero = 0;
    qint64 m_tare = 0;
    bool m_tared = false;
    qint64 m_sent = 0;

    LineGarbler m_garbler;

    QList<ReplayChunk> m_replay;
    qsizetype m_replayNext = 0;
    bool m_replayStarted = false;
    QElapsedTimer m_replayClock;
    QTimer m_replayTimer;

    QTimer m_stableWait;
    QElapsedTimer m_stableWaitClock;
};

} // namespace kivosim
