// The list-file reader and writer on any file and any entry: the parsed document reads what
// ReadIni reads, a written value reads back as stored (line breaks as blanks), writing it again
// changes nothing, and every line but the entry's own stays byte for byte.
#include "FuzzCheck.h"
#include "core/CodePage.h"
#include "core/IniFile.h"

#include <QFile>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <unistd.h>

using namespace kivo;

namespace {

struct Line
{
    QByteArray text;
    QByteArray end;
    bool operator==(const Line &) const = default;
};

// An independent line splitter: CR LF, CR and LF each end a line.
QList<Line> lines(const QByteArray &bytes)
{
    QList<Line> out;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        qsizetype next = end;
        if (next < bytes.size())
            next += bytes.mid(next, 2) == "\r\n" ? 2 : 1;
        out.append({bytes.mid(pos, end - pos), bytes.mid(end, next - end)});
        pos = next;
    }
    return out;
}

bool survivesCodePage(const QString &text)
{
    const CodePage &cp = CodePage::system();
    return cp.decode(cp.encode(text)) == text;
}

// ReadIni reads only files: the input goes into one scratch file, removed when the fuzzer ends.
const QString &scratchFile()
{
    static const QString path = [] {
        std::atexit([] { QFile::remove(scratchFile()); });
        return QStringLiteral("/tmp/kivo-fuzz-inifile-%1.ini").arg(qint64(::getpid()));
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString section = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(12)));
    const QString key = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(12)));
    const QString value = QString::fromUtf8(QByteArray::fromStdString(in.ConsumeRandomLengthString(48)));
    const QByteArray before = QByteArray::fromStdString(in.ConsumeRemainingBytesAsString());

    const IniDocument doc(before);
    {
        QFile file(scratchFile());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   file.write(before) == before.size());
    }
    FUZZ_CHECK(doc.value(section, key) == ReadIni(section, key, scratchFile()));

    const QString stored = iniStoredText(value);
    FUZZ_CHECK(!stored.contains(u'\r') && !stored.contains(u'\n') && stored.size() <= value.size());

    const std::optional<QByteArray> after = withIniValue(before, section, key, value);
    const QString s = section.trimmed(), k = key.trimmed();
    if (!after) {
        // Refused only for entries that could not read back as given.
        const auto breaks = [](const QString &t) {
            return t.contains(u'\r') || t.contains(u'\n') || t.contains(QChar(0));
        };
        FUZZ_CHECK(s.isEmpty() || k.isEmpty() || breaks(section) || breaks(key) || s.contains(u']') ||
                   k.contains(u'=') || k.startsWith(u';') || k.startsWith(u'[') || value.contains(QChar(0)));
        return 0;
    }
    if (survivesCodePage(section) && survivesCodePage(key) && survivesCodePage(value))
        FUZZ_CHECK(IniDocument(*after).value(section, key) == stored);
    FUZZ_CHECK(withIniValue(*after, section, key, value) == after);

    const QList<Line> old = lines(before), now = lines(*after);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix &&
           old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    FUZZ_CHECK(old.size() - prefix - suffix <= 1);
    FUZZ_CHECK(now.size() - prefix - suffix <= 3);
    return 0;
}
