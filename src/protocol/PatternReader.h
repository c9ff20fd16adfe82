#pragma once

#include "protocol/FrameReader.h"

#include <QRegularExpression>

namespace kivo {

// The user's own layout: bytes are collected up to the frame end, and the frame (its end left
// out, one character per byte) must match the expression; a frame that does not, or whose weight
// group is empty, is invalid. Group "stable" (or "overload") means true when its value is one of
// the layout's true values, or, with no true values given, when it matched anything at all.
class PatternReader final : public FrameReader
{
public:
    explicit PatternReader(const PatternLayout &layout);

    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override;
    void reset() override;

    // Reads one frame without its end.
    [[nodiscard]] ProtocolFrame read(const QByteArray &frame) const;

    // The frame last handed to onFrame, its end left out: what the pattern was matched against.
    [[nodiscard]] const QByteArray &lastFrame() const { return m_lastFrame; }

    // Bytes kept while waiting for a frame end; a longer run is thrown away as junk.
    static constexpr int kLongestFrame = 1024;

private:
    // Whether the collection now ends a frame, and how many of its last bytes are the end.
    [[nodiscard]] int endLength() const;

    PatternLayout m_layout;
    QRegularExpression m_expression;
    int m_weightGroup = -1;
    QByteArray m_collected;
    QByteArray m_lastFrame;
};

} // namespace kivo
