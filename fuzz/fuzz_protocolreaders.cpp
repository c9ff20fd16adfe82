// The protocol readers: any stream, cut into any pieces, gives the same frames and drops the same
// bytes as the stream fed byte by byte; no more bytes are dropped than were fed, and a valid
// frame always has a text to show. The first byte picks the layout, the second the cuts.
#include "FuzzCheck.h"
#include "protocol/FrameReader.h"

#include <vector>

using namespace kivo;

namespace {

struct Seen
{
    std::vector<QString> frames;
    qint64 dropped = 0;
};

// The makers' protocols show a number unless over or under capacity; the user's pattern shows
// whatever its weight group caught.
void note(Seen &seen, const ProtocolFrame &f, bool pattern)
{
    if (f.valid) {
        FUZZ_CHECK(!f.weightText.isEmpty());
        FUZZ_CHECK(pattern || f.weight.has_value() || f.overload);
        FUZZ_CHECK(f.status == (f.overload ? u"OL" : f.stable ? u"ST" : u"US"));
    }
    seen.frames.push_back(f.valid ? f.weightText + u'|' + f.unit + u'|' + f.status
                                  : QStringLiteral("invalid"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int mode = ModeToledo + data[0] % (ModePattern - ModeToledo + 1);
    const unsigned cutSeed = data[1];
    const QByteArray stream(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));

    PatternLayout pattern;
    pattern.end = PatternLayout::End(cutSeed % 5);
    pattern.length = 1 + int(cutSeed % 32);
    pattern.expression = QStringLiteral("(?<stable>S|U)?(?<weight>[-+ .0-9]+)(?<unit>[a-z]*)");

    const auto one = makeProtocolReader(mode, pattern);
    const auto cut = makeProtocolReader(mode, pattern);
    FUZZ_CHECK(one && cut);
    Seen single;
    for (const char byte : stream)
        single.dropped += one->feed(QByteArray(1, byte),
                                    [&](const ProtocolFrame &f) { note(single, f, mode == ModePattern); });

    Seen chunked;
    qsizetype at = 0;
    unsigned step = cutSeed;
    while (at < stream.size()) {
        step = step * 1103515245u + 12345u;
        const qsizetype n = std::min<qsizetype>(1 + (step >> 16) % 64, stream.size() - at);
        chunked.dropped += cut->feed(stream.mid(at, n),
                                     [&](const ProtocolFrame &f) { note(chunked, f, mode == ModePattern); });
        at += n;
    }

    FUZZ_CHECK(chunked.frames == single.frames);
    FUZZ_CHECK(chunked.dropped == single.dropped);
    FUZZ_CHECK(single.dropped >= 0 && single.dropped <= stream.size());
    return 0;
}
