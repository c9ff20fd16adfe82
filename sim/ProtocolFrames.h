#pragma once

#include "FrameBuilder.h"

#include <QByteArray>
#include <QString>

// The frames and replies of four common indicator protocols, written from the makers' manuals
// alone (not from the program's readers), so that each side checks the other:
//   toledo  Mettler Toledo standard continuous output (IND310/IND560 manuals)
//   sics    MT-SICS replies to S, SI, SIR, Z, T and @ (MT-SICS reference manual, level 0/1)
//   nci     NCI standard scale protocol replies to W, S, Z, T (NCI 3825 manual)
//   sma     SMA SCP-0499 level 1 replies to W, Z, T
namespace kivosim {

enum class Protocol { None, Toledo, Sics, Nci, Sma }; // None: the fixed layouts of FrameBuilder

enum class Unit { G, Kg, Lb, T, Oz };

// What a command asks of the indicator; the same letter means different things by protocol.
enum class Request { Zero, Tare, StreamToggle, Weight, StableWeight, RepeatWeight, Status, Reset, Unknown };

struct ProtocolFormat
{
    Protocol protocol = Protocol::None;
    Unit unit = Unit::Kg;
    int decimals = 2;
    bool checksum = false; // toledo: a checksum byte after CR
    int id = 1;            // sics: the serial number @ answers
};

struct ProtocolFrames
{
    // Every protocol's weight field holds six digits.
    static constexpr qint64 maxCounts = 999999;

    [[nodiscard]] static bool protocolFromName(const QString &name, Protocol *protocol);
    [[nodiscard]] static bool unitFromName(const QString &name, Unit *unit);
    [[nodiscard]] static QByteArray unitName(Unit unit); // "kg"

    // Whether the protocol sends by itself (toledo) rather than only answering requests.
    [[nodiscard]] static bool streams(Protocol protocol);

    // The request a command (upper case, without its framing) makes under a protocol.
    [[nodiscard]] static Request request(Protocol protocol, const QByteArray &command);

    // The weight frame: toledo's continuous frame, the reply of sics to SI (and SIR), of nci and
    // sma to W. A tare, if any, is in counts.
    [[nodiscard]] static QByteArray weight(const ProtocolFormat &format, const Reading &reading,
                                           qint64 tare = 0);

    // toledo: STX, status words A B C, weight and tare in six digits, CR, optional checksum.
    [[nodiscard]] static QByteArray toledo(const ProtocolFormat &format, const Reading &reading, qint64 tare);
    // sics: "S S" / "S D", the weight right-aligned in 10 characters, the unit, CR LF; "S +"/"S -".
    [[nodiscard]] static QByteArray sics(const ProtocolFormat &format, const Reading &reading);
    // nci: LF, weight and unit, CR LF, three status bytes, CR ETX.
    [[nodiscard]] static QByteArray nci(const ProtocolFormat &format, const Reading &reading);
    // sma: LF, status, range, mode, motion, spare, weight in 10, unit in 3, CR.
    [[nodiscard]] static QByteArray sma(const ProtocolFormat &format, const Reading &reading);

    // sics: the reply to a request other than a weight: "Z A", "T S <tare> <unit>", "I4 A ...",
    // "S I" (no stable weight in time), "ES" (unknown). nci: the status reply to S, Z, T, or "?".
    // sma: the weight frame after Z and T, or "?". Empty when the protocol answers the request with a weight
    // frame or not at all.
    [[nodiscard]] static QByteArray reply(const ProtocolFormat &format, Request request,
                                          const Reading &reading, qint64 tare = 0);
    [[nodiscard]] static QByteArray sicsBusy() { return "S I\r\n"; }
};

} // namespace kivosim
