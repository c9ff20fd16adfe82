#include "detect/SettingsFinder.h"

#include "monitor/FrameReaders.h"

#include <algorithm>

namespace kivo {

// One layout's reader on the current try and what it found.
struct SettingsFinder::Tally
{
    int mode = 0;
    std::unique_ptr<FrameReader> reader;
    QByteArray request;
    int valid = 0;
    int invalid = 0;
    qint64 dropped = 0;

    // A polled layout's invalid frames are not held against it: they are mostly its error replies
    // to the other layouts' requests ("ES" from an MT-SICS balance asked "W").
    [[nodiscard]] double score() const
    {
        return valid - (request.isEmpty() ? invalid : 0) - double(dropped) / kJunkBytesPerFrame;
    }

    void feed(const QByteArray &bytes)
    {
        const auto count = [this](const ProtocolFrame &f) {
            if (f.valid)
                ++valid;
            else if (valid > 0)
                ++invalid;
        };
        // Until the first valid frame a byte at a time, so that what is thrown away before it (the
        // tail of a frame cut by opening the port) is told apart from what is thrown away after it.
        qsizetype i = 0;
        for (; i < bytes.size() && valid == 0; ++i)
            reader->feed(bytes.mid(i, 1), count);
        if (i < bytes.size())
            dropped += reader->feed(bytes.mid(i), count);
    }

    // Better: a higher score, then more valid frames, then the layout listed first.
    [[nodiscard]] bool beats(const Tally &other) const
    {
        if (score() != other.score())
            return score() > other.score();
        if (valid != other.valid)
            return valid > other.valid;
        if (specificity() != other.specificity())
            return specificity() > other.specificity();
        return mode < other.mode;
    }
    // On a tie the layout that checks more of a frame wins: a fixed-length layout takes any bytes
    // of its length that end in CR LF (an MT-SICS reply with a one-letter unit is 18 bytes), the
    // user's pattern checks what it was written for, a protocol checks its whole frame.
    [[nodiscard]] int specificity() const
    {
        if (mode <= ModeAnd18)
            return 0;
        return mode == ModePattern ? 1 : 2;
    }
};

QString LineTry::text() const
{
    return QStringLiteral("%1 %2").arg(bitRate).arg(framingName(framing));
}

QString FindResult::settingsText() const
{
    return lineSettingsText(line.bitRate, line.framing);
}

QString FindResult::summary() const
{
    if (!found)
        return QStringLiteral("No indicator found");
    return QStringLiteral("%1, %2 (%3 frames)").arg(line.text(), layoutName).arg(frames);
}

SettingsFinder::SettingsFinder(ProbePort &port, const PatternLayout &pattern, QObject *parent)
    : QObject(parent), m_port(port), m_pattern(pattern), m_order(tryOrder())
{
    m_window.setSingleShot(true);
    connect(&m_window, &QTimer::timeout, this, &SettingsFinder::onWindowEnd);
    connect(&m_poll, &QTimer::timeout, this, &SettingsFinder::sendNextRequest);
    m_nextTry.setSingleShot(true);
    m_nextTry.setInterval(0);
    connect(&m_nextTry, &QTimer::timeout, this, &SettingsFinder::startTry);
    connect(&m_port, &ProbePort::bytesArrived, this, &SettingsFinder::onBytes);
    connect(&m_port, &ProbePort::failed, this, [this](const QString &reason) {
        if (m_running)
            finish(false, {}, reason);
    });
}

SettingsFinder::~SettingsFinder()
{
    if (m_running)
        m_port.close();
}

QList<qint32> SettingsFinder::bitRates()
{
    return {9600, 2400, 4800, 19200, 1200, 38400, 57600, 115200};
}

QList<LineTry> SettingsFinder::tryOrder()
{
    QList<LineTry> order;
    for (const qint32 rate : bitRates()) {
        for (const Framing framing : probeFramings())
            order.append({rate, framing});
    }
    return order;
}

void SettingsFinder::start()
{
    cancel();
    m_records.clear();
    m_next = 0;
    m_running = true;
    m_clock.start();
    startTry();
}

void SettingsFinder::cancel()
{
    if (!m_running)
        return;
    FindResult result;
    result.cancelled = true;
    result.tries = m_records;
    result.elapsedMs = m_clock.elapsed();
    stopSearch();
    emit finished(result);
}

void SettingsFinder::startTry()
{
    if (!m_running)
        return;
    if (m_next >= m_order.size()) {
        // No clear winner on the way: the best try wins when it read enough, the earliest of equals.
        const auto best =
            std::max_element(m_records.cbegin(), m_records.cend(),
                             [](const TryRecord &a, const TryRecord &b) { return a.score < b.score; });
        const bool everyRefused = std::all_of(m_records.cbegin(), m_records.cend(),
                                              [](const TryRecord &r) { return !r.refused.isEmpty(); });
        if (best != m_records.cend() && best->score >= kClearScore)
            finish(true, *best);
        else
            finish(false, {},
                   everyRefused && !m_records.isEmpty()
                       ? QStringLiteral("Every try was refused: %1").arg(m_records.constLast().refused)
                       : QString());
        return;
    }
    const LineTry line = m_order.at(m_next++);
    emit progress(m_next, int(m_order.size()), line);
    if (!m_running)
        return; // cancelled from the progress report

    QString error;
    if (!m_port.open(line.bitRate, line.framing, &error)) {
        TryRecord refused;
        refused.line = line;
        refused.refused = error.isEmpty() ? QStringLiteral("refused") : error;
        m_records.append(refused);
        m_nextTry.start();
        return;
    }

    m_tallies.clear();
    m_polled.clear();
    for (int mode = 0; mode < ModeCount; ++mode) {
        std::unique_ptr<FrameReader> reader = makeFrameReader(mode, m_pattern);
        if (!reader)
            continue;
        Tally tally;
        tally.mode = mode;
        tally.reader = std::move(reader);
        tally.request = pollRequest(mode, m_pattern);
        if (!tally.request.isEmpty())
            m_polled.append(int(m_tallies.size()));
        m_tallies.push_back(std::move(tally));
    }
    m_listening = true;
    m_extended = false;
    m_tryClock.start();
    m_window.start(m_timing.windowMs);
    if (!m_polled.isEmpty()) {
        // One answer of about 32 characters is in before the next request goes out.
        const int answerMs = 30 + int(32 * 10 * 1000LL / std::max(line.bitRate, 1));
        m_poll.start(std::max(m_timing.pollGapMs, answerMs));
        sendNextRequest();
    }
}

void SettingsFinder::sendNextRequest()
{
    if (!m_listening || m_polled.isEmpty())
        return;
    // Every polled layout is asked at each turn, its requests back to back: an indicator answers
    // the one it speaks (and at most a short error to the others), so even at a slow bit rate each
    // layout is asked several times in one window. Once a polled layout has answered, only the
    // layouts that answered are asked again.
    QList<int> asked;
    for (const int index : std::as_const(m_polled)) {
        if (m_tallies[size_t(index)].valid > 0)
            asked.append(index);
    }
    if (asked.isEmpty())
        asked = m_polled;
    QByteArray requests;
    for (const int index : std::as_const(asked))
        requests += m_tallies[size_t(index)].request;
    m_port.write(requests);
}

void SettingsFinder::onBytes(const QByteArray &bytes)
{
    if (!m_listening)
        return;
    for (Tally &tally : m_tallies)
        tally.feed(bytes);
    const Tally *best = bestTally();
    if (best && clearWinner(*best)) {
        const TryRecord record = currentRecord();
        m_records.append(record);
        finish(true, record);
    }
}

const SettingsFinder::Tally *SettingsFinder::bestTally() const
{
    const Tally *best = nullptr;
    for (const Tally &tally : m_tallies) {
        if (!best || tally.beats(*best))
            best = &tally;
    }
    return best;
}

bool SettingsFinder::clearWinner(const Tally &best) const
{
    if (best.score() < kClearScore)
        return false;
    return std::all_of(m_records.cbegin(), m_records.cend(),
                       [&best](const TryRecord &r) { return r.score * 2 < best.score(); });
}

TryRecord SettingsFinder::currentRecord() const
{
    TryRecord record;
    record.line = m_order.at(m_next - 1);
    record.listenedMs = m_tryClock.elapsed();
    const Tally *best = bestTally();
    if (best && best->valid > 0) {
        record.mode = best->mode;
        record.validFrames = best->valid;
        record.score = best->score();
    }
    return record;
}

void SettingsFinder::onWindowEnd()
{
    if (!m_listening)
        return;
    const Tally *best = bestTally();
    if (!m_extended && best && best->valid > 0 && m_timing.extendedWindowMs > m_timing.windowMs) {
        m_extended = true;
        m_window.start(m_timing.extendedWindowMs - m_timing.windowMs);
        return;
    }
    endTry();
}

void SettingsFinder::endTry()
{
    m_records.append(currentRecord());
    m_listening = false;
    m_poll.stop();
    m_port.close();
    m_tallies.clear();
    m_nextTry.start();
}

void SettingsFinder::stopSearch()
{
    m_running = false;
    m_listening = false;
    m_window.stop();
    m_poll.stop();
    m_nextTry.stop();
    m_port.close();
    m_tallies.clear();
}

void SettingsFinder::finish(bool found, const TryRecord &winner, const QString &error)
{
    stopSearch();

    FindResult result;
    result.found = found;
    result.error = error;
    result.tries = m_records;
    result.elapsedMs = m_clock.elapsed();
    if (found) {
        result.line = winner.line;
        result.mode = winner.mode;
        result.layoutName = indicatorModeNames().value(winner.mode);
        result.frames = winner.validFrames;
    }
    emit finished(result);
}

} // namespace kivo
