#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace kivo {

// Indicator layouts by their index in the monitoring settings (iIndicatorMode). The first three
// are the fixed-length layouts of the frame collector; the protocols after them are read by the
// readers of this folder. New layouts are only ever appended, so a stored index keeps its meaning.
enum IndicatorModeIndex : int16_t {
    ModeOrvan22 = 0,
    ModeOrvan10 = 1,
    ModeAnd18 = 2,
    ModeToledo = 3,  // continuous output: STX, status words A B C, weight, tare, CR [checksum]
    ModeSics = 4,    // MT-SICS replies to S / SI / SIR
    ModeNci = 5,     // NCI-style replies to W
    ModeSma = 6,     // SMA-style replies: LF status range mode motion weight unit CR
    ModePattern = 7, // the user's own frame end and regular expression
    ModeCount = 8
};

// What one frame of a protocol carried.
struct ProtocolFrame
{
    bool valid = false;           // false: failed its checksum or pattern; dropped, never shown
    QString weightText;           // as the display shows it: sign, digits, decimal point ("-12.50")
    std::optional<double> weight; // the weight as a number, when the frame carries one
    QString unit;                 // "kg", "g", "lb", "t", "oz"...; empty when the frame names none
    QString status;               // short status for readings and logs ("ST", "US", "OL", "UL", "BZ")
    bool stable = false;
    bool overload = false; // over or under capacity
    bool net = false;      // a tare is taken off, for protocols that say so
};

// The user's own layout: where a frame ends and a regular expression that reads it. Kept in the
// list file.
struct PatternLayout
{
    enum class End { CR, LF, CRLF, ETX, Length };

    End end = End::CRLF;
    int length = 0;         // frame length in bytes for End::Length
    QString expression;     // QRegularExpression with a named group "weight"; optional "unit",
                            // "stable", "overload"
    QStringList stableTrue; // values of group "stable" that mean stable (compared exactly)
    QStringList overloadTrue;
    QByteArray request; // what polling sends; empty: the layout is not polled

    // Why the layout cannot read frames ("no group named weight", the expression's own error),
    // or an empty string when it can.
    [[nodiscard]] QString problem() const;

    bool operator==(const PatternLayout &) const = default;
};

// Finds the frames of one layout in a received byte stream, wherever the read boundaries fall.
class FrameReader
{
public:
    virtual ~FrameReader() = default;

    // Feeds received bytes; onFrame gets every complete frame in order, valid or not. Returns the
    // bytes thrown away by this call: junk between frames and the bytes of invalid frames.
    virtual qint64 feed(const QByteArray &bytes,
                        const std::function<void(const ProtocolFrame &)> &onFrame) = 0;
    // Forgets a partly collected frame.
    virtual void reset() = 0;
};

// A reader for one of the protocol layouts (ModeToledo .. ModePattern); nullptr for any other
// mode, and for ModePattern when the pattern has a problem.
[[nodiscard]] std::unique_ptr<FrameReader> makeProtocolReader(int mode, const PatternLayout &pattern = {});

// The names of the protocol layouts, ModeToledo first, as the settings dialog lists them.
[[nodiscard]] QStringList protocolLayoutNames();

// The request a command-response layout answers ("SI" CR LF for MT-SICS, "W" CR for NCI...), or
// empty for layouts that stream by themselves.
[[nodiscard]] QByteArray pollRequest(int mode, const PatternLayout &pattern = {});

} // namespace kivo
