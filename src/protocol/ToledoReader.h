#pragma once

#include "protocol/FrameReader.h"

namespace kivo {

// Toledo-style continuous output, as the Mettler Toledo indicator manuals (8142, IND310, IND560,
// IND780: "Standard Continuous Output") describe it: STX, status words A B C, six weight digits,
// six tare digits, CR, and an optional checksum, the two's complement of the 7-bit sum of STX to
// CR. Bit 7 of every byte is left out, so a stream sent with even parity (7E1) reads alike on a
// port set to 8N1.
//
// Whether the stream sends checksums is found out from the stream itself: the byte after a frame's
// CR is either the next frame's STX (no checksums) or a checksum, which must then be right. Until
// a stream has shown which, a frame is reported when the byte after it arrives; once it is known
// that no checksums come, at its CR.
class ToledoReader final : public FrameReader
{
public:
    enum class Checksums { Unknown, Sent, NotSent };

    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override;
    void reset() override;

    // Reads one frame, STX to CR, without its checksum.
    [[nodiscard]] static ProtocolFrame read(const QByteArray &frame);

    [[nodiscard]] Checksums checksums() const { return m_checksums; }

    static constexpr int kFrameLength = 17; // STX, A B C, 6 weight, 6 tare, CR

private:
    // Whether a byte may stand at its place in a frame (the bytes before it are in m_frame).
    [[nodiscard]] bool fits(char byte) const;
    void emitFrame(const QByteArray &frame, bool valid,
                   const std::function<void(const ProtocolFrame &)> &onFrame);

    QByteArray m_frame;              // from STX, while a frame comes in
    QByteArray m_complete;           // a complete frame whose checksum may follow
    bool m_afterFrame = false;       // a frame went out at its CR; the next byte may still be a checksum
    char m_lastChecksum = 0;         // the checksum of that frame
    bool m_stxMayBeChecksum = false; // m_frame's STX may have been the last frame's checksum
    Checksums m_checksums = Checksums::Unknown;
};

} // namespace kivo
