// The test form's frame builders: any number the boxes can hold gives either nothing or a frame
// of the protocol's exact length whose fields and checksum read back.
#include "FuzzCheck.h"
#include "tools/OrielFrames.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace kivo;

namespace {
qint64 field(const QString &frame, qsizetype at, qsizetype digits)
{
    bool ok = false;
    const qint64 v = frame.mid(at, digits).toLongLong(&ok, 16);
    FUZZ_CHECK(ok);
    return v;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto letter = in.ConsumeIntegral<char>();
    const auto count = in.ConsumeIntegral<qint64>();
    const auto address = in.ConsumeIntegral<qint64>();
    const int fieldSize = in.ConsumeIntegralInRange<int>(-2, 10);
    const double number = in.ConsumeFloatingPoint<double>();
    const QString hex = QString::fromLatin1(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));

    if (const auto frame = readFrame(letter, count, address)) {
        FUZZ_CHECK(frame->size() == 24);
        FUZZ_CHECK(field(*frame, 2, 2) == uchar(letter));
        FUZZ_CHECK(field(*frame, 4, 8) == address && field(*frame, 14, 4) == count);
        FUZZ_CHECK(frame->startsWith(QLatin1String("52")) && frame->endsWith(QLatin1String("0D")));
        FUZZ_CHECK(SumCheck(frame->mid(4, 16)) == frame->mid(20, 2));
    } else {
        FUZZ_CHECK(count < 0 || count > 0xFFFF || address < 0 || address > 0xFFFFFFFFLL);
    }
    if (const auto frame = transferCompleteFrame(count))
        FUZZ_CHECK(frame->size() == 12 && field(*frame, 4, 4) == count);

    if (const auto v = HexField(count, fieldSize)) {
        FUZZ_CHECK(v->size() >= 2 * fieldSize && field(*v, 0, v->size()) == count);
    }
    if (const auto v = fieldValue(number, fieldSize))
        FUZZ_CHECK(*v >= 0 && HexField(*v, fieldSize).has_value());
    (void)recordAddress(number, kRecordTable, kRecordSize);
    (void)recordAddress(number, kPluTable, kPluSize);
    FUZZ_CHECK(SumCheck(hex).size() == 2);
    return 0;
}
