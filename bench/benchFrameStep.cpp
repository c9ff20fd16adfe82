// Throughput of the frame step: a stream of weight frames of each layout cut into chunks of a few
// sizes (one byte, a frame's worth with the cut wandering, a busy line's 4 KiB) and fed the way
// the receive path feeds it. Prints frames and megabytes per second.

#include "monitor/FrameCollector.h"
#include "monitor/FrameReaders.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>

using namespace kivo;

namespace {

QByteArray frameOf(int mode, int n)
{
    const QByteArray weight = QByteArray::number(n % 100000).rightJustified(8, ' ');
    switch (mode) {
    case ModeOrvan22:
        return "ST,GS,01," + weight + " kg\r\n";
    case ModeOrvan10:
        return weight + "\r\n";
    default:
        return "ST,GS," + weight + "kg\r\n";
    }
}

} // namespace

int main()
{
    constexpr int kFrames = 200000;
    for (int mode = 0; mode < 3; ++mode) {
        QByteArray stream;
        for (int i = 0; i < kFrames; ++i)
            stream += frameOf(mode, i);
        const int frameLength = frameLayout(mode)->length;
        for (const int chunk : {1, frameLength - 3, 4096}) {
            RxBuffers rx;
            QElapsedTimer timer;
            timer.start();
            for (qsizetype at = 0; at < stream.size(); at += chunk)
                feedChunk(rx,
                          QByteArray::fromRawData(stream.constData() + at,
                                                  std::min<qsizetype>(chunk, stream.size() - at)),
                          mode);
            const double seconds = timer.nsecsElapsed() / 1e9;
            std::printf("%-13s chunk %4d B: %7.2f Mframes/s  %7.1f MB/s  found %llu of %d, dropped %llu\n",
                        qPrintable(indicatorModeNames().at(mode)), chunk, rx.framesFound / seconds / 1e6,
                        stream.size() / seconds / 1e6, static_cast<unsigned long long>(rx.framesFound),
                        kFrames, static_cast<unsigned long long>(rx.bytesDropped));
        }
    }
    return 0;
}
