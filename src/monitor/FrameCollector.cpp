#include "monitor/FrameCollector.h"

#include "core/HexCodec.h"

#include <QStringList>

namespace kivo {

namespace {

constexpr char CR = 13;
constexpr char LF = 10;
constexpr int kWeightLength = 8;
constexpr int kStatusLength = 2;

// Longest collection worth keeping. Once the collected bytes are longer than every layout they
// can never become a frame; only their count (beyond a frame) and their last byte matter until a
// reset, so the collection is held at this size instead of growing without bound on a stream
// that never sends LF.
constexpr int kLongestKept = 23;

QString fieldText(const QByteArray &frame, int pos, int length)
{
    return trimBlanks(QString::fromLocal8Bit(frame.constData() + pos, length));
}

// A reset keeps the buffer's memory: it is refilled with the next frame at once.
void reset(QByteArray &buf)
{
    buf.resize(0);
}

// Judges the collection after new bytes were appended.
FrameStep judge(RxBuffers &buffers, const std::optional<FrameLayout> &layout)
{
    QByteArray &buf = buffers.bytMonBuf;
    FrameStep step;
    if (layout && buf.size() == layout->length && buf.at(buf.size() - 2) == CR && buf.back() == LF) {
        buffers.strWeight = fieldText(buf, layout->weightPos, kWeightLength);
        step.weight = buffers.strWeight;
        if (layout->statusPos >= 0)
            step.status = fieldText(buf, layout->statusPos, kStatusLength);
        step.found = true;
        ++buffers.framesFound;
        reset(buf);
        return step;
    }
    if (layout && (buf.back() == LF || (layout->resetWhenLong && buf.size() > layout->length))) {
        buffers.bytesDropped += buf.size();
        reset(buf);
        return step;
    }
    if (buf.size() > kLongestKept) {
        const qsizetype excess = buf.size() - kLongestKept;
        buffers.bytesDropped += excess;
        buf.remove(0, excess);
    }
    return step;
}

} // namespace

std::optional<FrameLayout> frameLayout(int mode)
{
    switch (mode) {
    case ModeOrvan22:
        return FrameLayout{22, 0, 9, true};
    case ModeOrvan10:
        return FrameLayout{10, -1, 0, false};
    case ModeAnd18:
        return FrameLayout{18, 0, 6, false};
    default:
        return std::nullopt;
    }
}

ChunkResult feedChunk(RxBuffers &buffers, const QByteArray &chunk, int mode,
                      const std::function<void(const FrameStep &)> &onFrame)
{
    ChunkResult result;
    const std::optional<FrameLayout> layout = frameLayout(mode);
    for (const char byte : chunk) {
        buffers.bytMonBuf.append(byte);
        FrameStep step = judge(buffers, layout);
        if (!step.found)
            continue;
        ++result.framesFound;
        if (onFrame)
            onFrame(step);
        if (step.status)
            result.lastStatus = std::move(step.status);
    }
    return result;
}

LampState ShowLamps(const QString &status)
{
    return LampState{status == QLatin1String("ST"), status == QLatin1String("OL")};
}

} // namespace kivo
