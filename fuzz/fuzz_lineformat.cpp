// Line building for the traffic views: any text gives a printable body and the right end mark,
// the terminal text does not depend on how the text was cut into appends, and the hex buffer
// reads back as the bytes appended.
#include "FuzzCheck.h"
#include "core/HexCodec.h"
#include "traffic/LineFormat.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace kivo;
using namespace kivo::lineformat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto length = in.ConsumeIntegral<qsizetype>();
    const QString text = fuzz::utf16Text(QByteArray::fromStdString(in.ConsumeRandomLengthString(512)));

    const Line line = buildLine(text);
    for (const QChar c : line.body)
        FUZZ_CHECK(c == u'\n' || (c.unicode() >= 32 && c.unicode() <= 127));
    FUZZ_CHECK(line.body.size() <= text.size());
    const EndMark expected = text.endsWith(kCrLf)          ? EndMark::CrLf
                             : text.endsWith(QChar(u'\r')) ? EndMark::Cr
                             : text.endsWith(QChar(u'\n')) ? EndMark::Lf
                                                           : EndMark::None;
    FUZZ_CHECK(line.mark == expected);
    (void)textDue(text);
    (void)hexDue(text);

    bool wholeCr = false;
    const QString whole = terminalText(text, wholeCr);
    bool pieceCr = false;
    QString pieces;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype n = in.ConsumeIntegralInRange<qsizetype>(1, text.size() - at);
        pieces += terminalText(text.mid(at, n), pieceCr);
        at += n;
    }
    FUZZ_CHECK(pieces == whole && pieceCr == wholeCr);

    const QByteArray bytes = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());
    QString hex;
    appendHex(hex, bytes);
    FUZZ_CHECK(hex.size() == 3 * bytes.size() && HexToBytes(hex) == bytes);

    if (length >= 0) {
        const qsizetype drop = charsToDrop(length);
        FUZZ_CHECK(drop >= 0 && drop <= length);
        FUZZ_CHECK(length <= kViewLimit ? drop == 0 : length - drop <= kViewLimit);
    }
    return 0;
}
