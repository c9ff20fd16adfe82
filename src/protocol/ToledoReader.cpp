#include "protocol/ToledoReader.h"

#include "protocol/ReaderText.h"

namespace kivo {

namespace {

constexpr char STX = 2;
constexpr char CR = 13;
constexpr int kWeightAt = 4;
constexpr int kTareAt = 10;
constexpr int kFieldLength = 6;

// The checksum that makes the 7-bit sum of a frame and its checksum zero.
char checksumOf(const QByteArray &frame)
{
    unsigned sum = 0;
    for (const char c : frame)
        sum += quint8(c);
    return char((0x80 - (sum & 0x7F)) & 0x7F);
}

// Status word C, bits 0-2; 0 leaves the choice to status word B (lb or kg).
QString unitOf(char wordB, char wordC)
{
    switch (wordC & 0x07) {
    case 0:
        return (wordB & 0x10) ? QStringLiteral("kg") : QStringLiteral("lb");
    case 1:
        return QStringLiteral("g");
    case 2:
        return QStringLiteral("t");
    case 3:
        return QStringLiteral("oz");
    case 4:
        return QStringLiteral("ozt");
    case 5:
        return QStringLiteral("dwt");
    case 6:
        return QStringLiteral("ton");
    default:
        return {}; // custom units: the frame does not name them
    }
}

} // namespace

bool ToledoReader::fits(char byte) const
{
    const qsizetype at = m_frame.size();
    if (at < kWeightAt) // status words: bit 5 is always set
        return (byte & 0x20) != 0;
    if (at < kFieldLength * 2 + kWeightAt) {
        if (byte >= '0' && byte <= '9')
            return true;
        // Blanks may stand for leading zeros.
        const qsizetype field = at < kTareAt ? kWeightAt : kTareAt;
        return byte == ' ' && (at == field || m_frame.at(at - 1) == ' ');
    }
    return byte == CR;
}

ProtocolFrame ToledoReader::read(const QByteArray &frame)
{
    ProtocolFrame f;
    if (frame.size() != kFrameLength || frame.front() != STX || frame.back() != CR)
        return f;
    const char a = frame.at(1);
    const char b = frame.at(2);
    const char c = frame.at(3);
    QString digits = QString::fromLatin1(frame.mid(kWeightAt, kFieldLength)).replace(u' ', u'0');
    const int point = a & 0x07; // 0-2: no decimal point (x100, x10, x1); 3-7: 1 to 5 decimals
    if (point > 2)
        digits.insert(kFieldLength - (point - 2), u'.');
    const bool negative = (b & 0x02) != 0;
    f.valid = true;
    f.net = (b & 0x01) != 0;
    f.overload = (b & 0x04) != 0;
    f.stable = (b & 0x08) == 0 && !f.overload; // over the range there is no weight to be stable
    f.unit = unitOf(b, c);
    f.status = statusText(f.stable, f.overload);
    if (f.overload) {
        f.weightText = overloadText(negative);
        return f;
    }
    f.weightText = displayWeight((negative ? QStringLiteral("-") : QString()) + digits);
    f.weight = negative ? -digits.toDouble() : digits.toDouble();
    return f;
}

void ToledoReader::emitFrame(const QByteArray &frame, bool valid,
                             const std::function<void(const ProtocolFrame &)> &onFrame)
{
    if (!onFrame)
        return;
    ProtocolFrame f = read(frame);
    f.valid = f.valid && valid;
    onFrame(f);
}

qint64 ToledoReader::feed(const QByteArray &bytes, const std::function<void(const ProtocolFrame &)> &onFrame)
{
    qint64 dropped = 0;
    for (const char raw : bytes) {
        const char byte = char(raw & 0x7F);

        if (!m_complete.isEmpty()) {
            const char expected = checksumOf(m_complete);
            const QByteArray frame = std::exchange(m_complete, {});
            if (byte == STX && expected == STX && m_checksums == Checksums::Unknown) {
                // Checksum or next frame: the byte after tells (a frame's second byte is never STX).
                emitFrame(frame, true, onFrame);
                m_frame = QByteArray(1, STX);
                m_stxMayBeChecksum = true;
            } else if (byte == expected) {
                m_checksums = Checksums::Sent;
                emitFrame(frame, true, onFrame);
            } else if (byte == STX) {
                m_checksums = Checksums::NotSent;
                emitFrame(frame, true, onFrame);
                m_frame = QByteArray(1, STX);
            } else {
                m_checksums = Checksums::Sent;
                dropped += frame.size() + 1;
                emitFrame(frame, false, onFrame);
            }
            continue;
        }

        if (m_afterFrame) {
            m_afterFrame = false;
            if (byte != STX) {
                // The stream sends checksums after all: later frames wait for theirs.
                m_checksums = Checksums::Sent;
                dropped += byte == m_lastChecksum ? 0 : 1;
                continue;
            }
        }

        if (m_stxMayBeChecksum) {
            m_stxMayBeChecksum = false;
            if (byte == STX) {
                m_checksums = Checksums::Sent; // that STX was a checksum; this one starts a frame
                continue;
            }
            m_checksums = Checksums::NotSent;
        }

        if (m_frame.isEmpty()) {
            if (byte == STX)
                m_frame.append(STX);
            else
                ++dropped;
            continue;
        }
        if (!fits(byte)) {
            // A frame cut short or garbled: its bytes are thrown away, and an STX starts the next.
            dropped += m_frame.size() + (byte == STX ? 0 : 1);
            emitFrame(m_frame, false, onFrame);
            m_frame = byte == STX ? QByteArray(1, STX) : QByteArray();
            continue;
        }
        m_frame.append(byte);
        if (m_frame.size() < kFrameLength)
            continue;
        if (m_checksums == Checksums::NotSent) {
            m_afterFrame = true;
            m_lastChecksum = checksumOf(m_frame);
            emitFrame(m_frame, true, onFrame);
        } else {
            m_complete = m_frame;
        }
        m_frame.resize(0);
    }
    return dropped;
}

void ToledoReader::reset()
{
    m_frame.resize(0);
    m_complete.resize(0);
    m_afterFrame = false;
    m_stxMayBeChecksum = false;
    m_checksums = Checksums::Unknown; // the next bytes may come from another indicator
}

} // namespace kivo
