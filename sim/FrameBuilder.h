#pragma once

#include <QByteArray>
#include <QtGlobal>

// Builds the fixed-length weight frames an indicator streams. Written from the layout table alone,
// independently of the program's frame collector, so that each can be checked against the other.
namespace kivosim {

enum class Layout { Bytes22, Bytes10, Bytes18 };

enum class Status { Stable, Unstable, Overload };

// One weight reading. The weight is counted in units of the last shown digit: 1234 with two
// decimals is 12.34.
struct Reading
{
    Status status = Status::Stable;
    bool net = false;
    qint64 counts = 0;
};

struct FrameBuilder
{
    static constexpr int weightWidth = 8;

    // Frame length in bytes, CR LF included.
    [[nodiscard]] static int frameLength(Layout layout);

    // The largest magnitude, in counts, that still fits the 8-character weight field.
    [[nodiscard]] static qint64 maxCounts(int decimals);

    // The 8-character weight field. Zero fill puts the sign first ("+001.234", "-0012.34"); blank fill
    // right-aligns the number with its minus sign, if any, just before the digits ("  12.345").
    // Values beyond the field are clamped to the largest that fits.
    [[nodiscard]] static QByteArray weightField(qint64 counts, int decimals, bool zeroFill);

    // 22 bytes: "ST,GS,01," status(1-2) header(4-5) id(7-8), weight 10-17, " kg" 18-20, CR LF 21-22.
    // 10 bytes: weight 1-8, CR LF 9-10.
    // 18 bytes: "ST,GS," status(1-2) header(4-5), weight 7-14, "kg" 15-16, CR LF 17-18.
    [[nodiscard]] static QByteArray build(Layout layout, const Reading &reading, int decimals, int id = 1);

    [[nodiscard]] static QByteArray statusText(Status status);
};

} // namespace kivosim
