#pragma once

#include "protocol/FrameReader.h"
#include "protocol/ReaderText.h"

namespace kivo {

// Replies of scales to the level 1 requests of the Scale Manufacturers Association's serial
// protocol (SMA SCP-0499, "Serial Communications Protocol for Electronic Weighing Devices"), W
// above all: LF, status (Z centre of zero, O over capacity, U under capacity, E zero error,
// I initial zero error, T tare error, blank), range, mode (G gross, N net, T tare...), motion
// (M or blank), a spare character, the weight in 10 characters, the unit in 3, CR. Over or under
// capacity the weight field holds ^ or _ instead of a number, so only the status is read. A unit
// sent with its trailing blanks left off is read too; "?" and other replies are invalid frames.
class SmaReader final : public FrameReader
{
public:
    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override;
    void reset() override;

    // Reads one reply without its LF and CR.
    [[nodiscard]] static ProtocolFrame read(const QByteArray &reply);

    static constexpr int kLongestReply = 64;

private:
    BoundedCollection m_collected{kLongestReply};
};

} // namespace kivo
