// The value conversions of stored settings and list-file values: arbitrary text never crashes or
// overflows, and numbers read back as they were written.
#include "FuzzCheck.h"
#include "core/Conversions.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const auto i16 = in.ConsumeIntegral<int16_t>();
    const auto f = in.ConsumeFloatingPoint<float>();
    const QString text = fuzz::utf16Text(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));

    (void)leadingNumber(text);
    const auto whole = toInt16(text);
    const auto leading = leadingInt16(text);
    if (whole)
        FUZZ_CHECK(leading == whole);
    (void)toBool(text);
    if (const auto v = toFloat32(text))
        FUZZ_CHECK(std::isfinite(*v));

    // The forms the program writes read back to the value written.
    FUZZ_CHECK(toInt16(QString::number(i16)) == i16);
    FUZZ_CHECK(toBool(QString::number(i16)) == (i16 != 0));
    if (std::isfinite(f))
        FUZZ_CHECK(toFloat32(QString::number(double(f), 'g', 9)) == f);
    return 0;
}
