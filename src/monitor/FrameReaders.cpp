#include "monitor/FrameReaders.h"

#include "monitor/FrameCollector.h"
#include "traffic/RxBuffers.h"

namespace kivo {

namespace {

// The fixed-length layouts as a FrameReader, for code that handles every layout alike (finding
// the settings of an unknown indicator). Their frames always carry kg.
class FixedLayoutReader final : public FrameReader
{
public:
    explicit FixedLayoutReader(int mode) : m_mode(mode) {}

    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override
    {
        const uint64_t before = m_buffers.bytesDropped;
        feedChunk(m_buffers, bytes, m_mode, [&](const FrameStep &step) {
            if (onFrame)
                onFrame(fixedLayoutFrame(step));
        });
        return qint64(m_buffers.bytesDropped - before);
    }

    void reset() override { m_buffers.bytMonBuf.resize(0); }

private:
    int m_mode;
    RxBuffers m_buffers;
};

} // namespace

ProtocolFrame fixedLayoutFrame(const FrameStep &step)
{
    ProtocolFrame f;
    f.valid = true;
    f.weightText = step.weight;
    f.weight = weightValue(step.weight);
    f.unit = QStringLiteral("kg");
    f.status = step.status.value_or(QString());
    const LampState lamps = ShowLamps(f.status);
    f.stable = lamps.stable;
    f.overload = lamps.overload;
    return f;
}

std::unique_ptr<FrameReader> makeFrameReader(int mode, const PatternLayout &pattern)
{
    if (frameLayout(mode))
        return std::make_unique<FixedLayoutReader>(mode);
    return makeProtocolReader(mode, pattern);
}

QStringList indicatorModeNames()
{
    return QStringList{QStringLiteral("Orvan 22byte"), QStringLiteral("Orvan 10byte"),
                       QStringLiteral("AND 18byte")} +
           protocolLayoutNames();
}

} // namespace kivo
