// Start-up load of the stored strings from a large list file (5 MB of lines other tools left in the
// program's sections). Prints the time of the per-key reads (one file read and scan for every key)
// beside loading from the file read and parsed once.

#include "core/AppData.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/StoredStrings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace kivo;
namespace K = ListFileKeys;

namespace {

const QLatin1StringView kSections[] = {K::AutoString, K::AutoMode,      K::AutoSendEnable, K::MesgString,
                                       K::MesgDesc,   K::MesgMode,      K::FuncKeyCap,     K::FuncString,
                                       K::FuncMode,   K::FuncSendEnable};

// The program's sections with their rows and flags; `foreignIn` says how many bytes of lines other
// tools left follow each section's header.
QByteArray listFile(const std::function<qsizetype(int)> &foreignIn)
{
    QByteArray bytes;
    for (int n = 0; n < 10; ++n) {
        bytes += "[" + QByteArray(kSections[n].data(), kSections[n].size()) + "]\r\n";
        const qsizetype until = bytes.size() + foreignIn(n);
        while (bytes.size() < until)
            bytes += "Foreign" + QByteArray::number(bytes.size()) + "=a value another tool keeps here\r\n";
        for (int row = 1; row <= 10; ++row)
            bytes += "String" + QByteArray::number(row) + "=" + QByteArray::number(row) + "\r\n";
        bytes += "STX=-1\r\nCRLF=True\r\n";
    }
    return bytes;
}

// The keys start-up reads, one ReadIni each: ten rows of six tables, four of the function keys'
// four, and six framing flags.
qint64 perKeyReads(const QString &file, int *reads)
{
    QElapsedTimer clock;
    clock.start();
    QString sink;
    for (int n = 0; n < 10; ++n) {
        const int rows = n < 6 ? 10 : 4;
        for (int row = 1; row <= rows; ++row, ++*reads)
            sink += ReadIni(QString(kSections[n]), K::rowKey(row), file);
    }
    for (const QLatin1StringView section : {K::AutoString, K::MesgString, K::FuncString}) {
        sink += ReadIni(QString(section), QString(K::STX), file) +
                ReadIni(QString(section), QString(K::CRLF), file);
        *reads += 2;
    }
    return sink.isEmpty() ? -1 : clock.elapsed();
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kivo.ini"));
    constexpr qsizetype kSize = 5 * 1024 * 1024;
    const struct
    {
        const char *name;
        std::function<qsizetype(int)> foreignIn;
    } layouts[] = {{"foreign lines spread over the ten sections", [](int) { return kSize / 10; }},
                   {"foreign lines all in the first section", [](int n) { return n == 0 ? kSize : 0; }}};
    for (int l = 0; l < 3; ++l) {
        const auto &layout = layouts[std::min(l, 1)];
        QByteArray bytes;
        // Third run: the program's sections after 5 MB of other tools' small sections, each header
        // a line every lookup has to read.
        while (l == 2 && bytes.size() < kSize)
            bytes += "[Tool" + QByteArray::number(bytes.size()) + "]\r\nKey=value\r\n";
        bytes += listFile(l == 2 ? [](int) { return qsizetype(0); } : layout.foreignIn);
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            return 1;
        out.close();
        int reads = 0;
        const qint64 perKey = perKeyReads(file, &reads);
        QElapsedTimer clock;
        clock.start();
        AppData data;
        loadStoredStrings(data, file);
        const qint64 once = clock.elapsed();
        if (data.MesgList[9].strMesg != QLatin1String("10") || !data.FuncCRLF)
            return 2;
        std::printf(
            "%.1f MB, %s: one ReadIni per key (%d reads) %lld ms; loadStoredStrings (one read) %lld ms\n",
            bytes.size() / 1048576.0, l == 2 ? "other tools' sections before the program's" : layout.name,
            reads, perKey, once);
    }
    return 0;
}
