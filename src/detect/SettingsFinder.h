#pragma once

#include "detect/ProbePort.h"
#include "protocol/FrameReader.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace kivo {

// One bit rate and framing the finder listens with.
struct LineTry
{
    qint32 bitRate = 0;
    Framing framing = Framing::Bits8None1;

    [[nodiscard]] QString text() const; // "19200 8N1"
    bool operator==(const LineTry &) const = default;
};

// What one try saw: the best layout on that line, or the driver's refusal.
struct TryRecord
{
    LineTry line;
    QString refused;     // non-empty: the driver refused the settings and the try was skipped
    int mode = -1;       // the layout with the best score; -1 when no layout read a valid frame
    int validFrames = 0; // that layout's valid frames
    double score = 0;    // that layout's score (see SettingsFinder)
    qint64 listenedMs = 0;
};

struct FindResult
{
    bool found = false;
    bool cancelled = false;
    LineTry line;  // when found
    int mode = -1; // the layout found, an index of indicatorModeNames()
    QString layoutName;
    int frames = 0; // valid frames of that layout on the winning try
    qint64 elapsedMs = 0;
    QList<TryRecord> tries; // every try made, in order
    QString error;          // why the search could not go on (the port died, every try refused)

    // The serial link's settings text of the line found: "19200,N,8,1".
    [[nodiscard]] QString settingsText() const;
    // "19200 8N1, MT-SICS (12 frames)", or "No indicator found".
    [[nodiscard]] QString summary() const;
};

// How long the finder listens. See SettingsFinder for why these lengths.
struct FinderTiming
{
    int windowMs = 600;
    int extendedWindowMs = 1500;
    int pollGapMs = 100;
};

// Finds an unknown indicator's bit rate, framing and frame layout. Tries every bit rate of
// bitRates() with every framing of probeFramings() in turn; a try the driver refuses is skipped.
// On each try it listens for a window while sending the requests of every layout that is polled,
// all of them back to back at each turn and the turns spaced so the answers do not collide, and
// feeds what arrives to a fresh reader of every layout.
//
// A layout scores one for each valid frame, less one for each invalid frame (but a polled
// layout's, mostly its error replies to the other layouts' requests) and for every 16 bytes it
// had to throw away, counted from its first valid frame on (what comes before is the
// rest of a frame cut by opening the port). A try's score is its best layout's. A clear winner,
// which ends the search at once, is a layout that scored at least 3 while no earlier try scored
// half as much. Without one, after the last try the best try wins if it scored at least 3.
//
// Listening 600 ms: an indicator that streams sends at least 5 frames a second, so 3 frames are
// in, and one that answers requests is asked several times; eight bit rates at 8N1 then take
// under 5 s. A try whose layouts read a valid frame but no clear winner yet listens on up to
// 1.5 s, so a slow stream (2 frames a second) or a slow responder still gets its 3 frames.
class SettingsFinder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kClearScore = 3;
    static constexpr int kJunkBytesPerFrame = 16;

    // Uses the port and the user's pattern layout (its reader joins when the pattern is usable).
    SettingsFinder(ProbePort &port, const PatternLayout &pattern, QObject *parent = nullptr);
    ~SettingsFinder() override;

    void setTiming(const FinderTiming &timing) { m_timing = timing; }

    // The bit rates in the order tried: the most common first.
    [[nodiscard]] static QList<qint32> bitRates();
    // Every try in order: each bit rate with each framing.
    [[nodiscard]] static QList<LineTry> tryOrder();

    // Starts (or starts again) the search; progress and finished report on it.
    void start();
    // Ends a running search: the port is closed and finished reports a cancelled result.
    void cancel();
    [[nodiscard]] bool isRunning() const { return m_running; }

signals:
    // Try tryNumber (1-based) of tryCount is starting on this line.
    void progress(int tryNumber, int tryCount, const kivo::LineTry &line);
    void finished(const kivo::FindResult &result);

private:
    struct Tally;

    void startTry();
    void onBytes(const QByteArray &bytes);
    void onWindowEnd();
    void sendNextRequest();
    void endTry();
    // Ends the search: timers stopped, the port closed, the readers gone.
    void stopSearch();
    void finish(bool found, const TryRecord &winner, const QString &error = {});
    [[nodiscard]] const Tally *bestTally() const;
    [[nodiscard]] TryRecord currentRecord() const;
    [[nodiscard]] bool clearWinner(const Tally &best) const;

    ProbePort &m_port;
    PatternLayout m_pattern;
    FinderTiming m_timing;
    QList<LineTry> m_order;
    QList<TryRecord> m_records;
    int m_next = 0;
    bool m_running = false;
    bool m_listening = false;
    bool m_extended = false;
    std::vector<Tally> m_tallies;
    QList<int> m_polled; // indexes into m_tallies of the layouts with a request
    QElapsedTimer m_clock;
    QElapsedTimer m_tryClock;
    QTimer m_window;
    QTimer m_poll;
    QTimer m_nextTry;
};

} // namespace kivo
