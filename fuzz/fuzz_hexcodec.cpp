// The hex notation of bytes: text through AscToHex and back through HexToBytes is its code-page
// bytes, blanks never change what hex text stands for, and the spaced and XOR forms agree with it.
#include "FuzzCheck.h"
#include "core/HexCodec.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace kivo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray bytes = QByteArray::fromStdString(in.ConsumeRandomLengthString(256));
    const QString text = fuzz::utf16Text(QByteArray::fromStdString(in.ConsumeRandomLengthString(256)));
    const QString hex = QString::fromLatin1(QByteArray::fromStdString(in.ConsumeRemainingBytesAsString()));
    const CodePage &codePage = CodePage::system();

    FUZZ_CHECK(HexToBytes(AscToHex(text, codePage)) == codePage.encode(text));
    FUZZ_CHECK(HexToBytes(QString::fromLatin1(bytes.toHex(' '))) == bytes);
    FUZZ_CHECK(AscToHex(QString::fromLatin1(bytes), CodePage("ISO-8859-1")) ==
               QString::fromLatin1(bytes.toHex().toUpper()));

    const QByteArray read = HexToBytes(hex);
    FUZZ_CHECK(HexToBytes(withoutBlanks(hex)) == read);
    FUZZ_CHECK(HexToBytes(HexToSpaced(hex)) == read);
    uint8_t x = 0;
    for (const char b : read)
        x ^= uint8_t(b);
    FUZZ_CHECK(xorOfHexBytes(hex) == x);
    const QString trimmed = trimBlanks(hex);
    FUZZ_CHECK(trimmed.isEmpty() || (trimmed.front() != u' ' && trimmed.back() != u' '));
    return 0;
}
