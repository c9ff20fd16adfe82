#pragma once

#include "protocol/FrameReader.h"
#include "protocol/ReaderText.h"

namespace kivo {

// Replies to W of scales speaking the NCI standard protocol (the NCI/Weigh-Tronix "Standard
// Scale Protocol" of the 3825/3835 and 7600 series manuals, also used by Avery Weigh-Tronix and
// others): LF, the weight with its unit ("0001.5LB"), CR, LF, two or three status bytes, CR, ETX.
// Status bytes have bits 4 and 5 set; byte 1: bit 0 in motion, bit 1 at zero; byte 2: bit 0 under
// capacity, bit 1 over capacity; byte 3: bit 2 net. Over or under capacity the weight field
// carries no number (makers fill it with ^ or _), so only the status is read. Other replies
// ("?" for an unknown command, the status-only replies to Z and S) are invalid frames. Bit 7 of
// every byte is left out, so a reply sent with parity reads alike on a port set to 8N1.
class NciReader final : public FrameReader
{
public:
    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override;
    void reset() override;

    // Reads one reply, its first LF to its ETX.
    [[nodiscard]] static ProtocolFrame read(const QByteArray &reply);

    static constexpr int kLongestReply = 64;

private:
    BoundedCollection m_collected{kLongestReply};
};

} // namespace kivo
