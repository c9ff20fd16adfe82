// The frame step: a stream fed in any chunking finds the same frames, statuses and weight as the
// same stream fed byte by byte, in every indicator mode (also unknown ones).
#include "FuzzCheck.h"
#include "monitor/FrameCollector.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange<int>(-1, 3);
    const size_t streamLength = in.ConsumeIntegralInRange<size_t>(0, in.remaining_bytes() / 2);
    const QByteArray stream = QByteArray::fromStdString(in.ConsumeBytesAsString(streamLength));

    RxBuffers single;
    int singleFrames = 0;
    std::vector<QString> singleStatuses;
    for (const char byte : stream) {
        const ChunkResult r = feedChunk(single, QByteArray(1, byte), mode);
        singleFrames += r.framesFound;
        if (r.lastStatus)
            singleStatuses.push_back(*r.lastStatus);
    }

    RxBuffers chunked;
    int chunkedFrames = 0;
    std::optional<QString> lastStatus;
    qsizetype at = 0;
    while (at < stream.size()) {
        const qsizetype n = in.remaining_bytes() ? in.ConsumeIntegralInRange<qsizetype>(1, stream.size() - at)
                                                 : stream.size() - at;
        const ChunkResult r = feedChunk(chunked, stream.mid(at, n), mode);
        chunkedFrames += r.framesFound;
        if (r.lastStatus)
            lastStatus = r.lastStatus;
        at += n;
    }

    FUZZ_CHECK(chunkedFrames == singleFrames);
    FUZZ_CHECK(lastStatus.has_value() == !singleStatuses.empty());
    if (lastStatus)
        FUZZ_CHECK(*lastStatus == singleStatuses.back());
    FUZZ_CHECK(chunked.bytMonBuf == single.bytMonBuf);
    FUZZ_CHECK(chunked.strWeight == single.strWeight);
    if (const auto layout = frameLayout(mode))
        FUZZ_CHECK(!layout->resetWhenLong || chunked.bytMonBuf.size() <= layout->length);
    (void)ShowLamps(lastStatus.value_or(QString()));
    return 0;
}
