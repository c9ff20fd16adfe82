#pragma once

#include "core/CodePage.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace kivo {

// The receive state of one link: text waiting for each traffic view, the indicator frame being
// collected and the last weight. The main window keeps one set per link.
struct RxBuffers
{
    QString strAscBuf;    // decoded text waiting for the ASCII view
    QString strHexBuf;    // "41 42 0D 0A " waiting for the hex view
    QString strHyperBuf;  // decoded text waiting for the terminal view
    QByteArray bytMonBuf; // raw bytes of the frame being collected
    QString strWeight;    // weight text of the last complete frame

    // Each text view decodes the link's stream on its own, so a character split between two reads
    // waits for its last byte in the decoder of every view that shows it.
    TextDecoder ascDecoder;
    TextDecoder hyperDecoder;

    // The last bytes received, at least kRecentBytes of them once that many came, for tools that
    // try a layout on what the indicator really sends.
    static constexpr qsizetype kRecentBytes = 2048;
    QByteArray recent;
    void keepRecent(const QByteArray &bytes)
    {
        recent.append(bytes);
        // Trimmed only when twice the size, so a stream of small reads copies rarely.
        if (recent.size() > 2 * kRecentBytes)
            recent.remove(0, recent.size() - kRecentBytes);
    }

    // Counters read by tests and benchmarks.
    uint64_t framesFound = 0;
    uint64_t bytesDropped = 0; // bytes thrown away by the frame collector's reset rules
};

} // namespace kivo
