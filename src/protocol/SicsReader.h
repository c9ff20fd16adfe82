#pragma once

#include "protocol/FrameReader.h"
#include "protocol/ReaderText.h"

namespace kivo {

// Replies of Mettler Toledo balances and terminals to the weight commands of MT-SICS (the
// "MT-SICS Interface Command Set" reference manual, level 0 and 1): S, SI and SIR all answer
// "S S <weight> <unit>" CR LF when stable and "S D <weight> <unit>" while the load moves (SI and
// SIR), "S +" / "S -" over or under the weighing range, "S I" when no reading can be given now.
// A reply is a line; the CR before its LF may be missing. "S I", the error replies ES, ET, EL and
// any other line are invalid frames.
class SicsReader final : public FrameReader
{
public:
    qint64 feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame) override;
    void reset() override;

    // Reads one line without its line end.
    [[nodiscard]] static ProtocolFrame read(const QByteArray &line);

    static constexpr int kLongestLine = 128;

private:
    BoundedCollection m_line{kLongestLine};
};

} // namespace kivo
