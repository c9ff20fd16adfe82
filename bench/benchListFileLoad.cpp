// Start-up load of the stored strings from a large list file (5 MB: the program's ten sections, each
// followed by lines other tools left in it). Prints the time of the per-key reads (one file read
// and scan for every key) beside loading from the file read and parsed once.

#include "core/AppData.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"
#include "core/StoredStrings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace kivo;
namespace K = ListFileKeys;

int main()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kivo.ini"));
    const QLatin1StringView sections[] = {K::AutoString, K::AutoMode,      K::AutoSendEnable, K::MesgString,
                                          K::MesgDesc,   K::MesgMode,      K::FuncKeyCap,     K::FuncString,
                                          K::FuncMode,   K::FuncSendEnable};
    QByteArray bytes;
    constexpr qsizetype kTarget = 5 * 1024 * 1024;
    int n = 0;
    for (const QLatin1StringView section : sections) {
        bytes += "[" + QByteArray(section.data(), section.size()) + "]\r\n";
        while (bytes.size() < (kTarget / 10) * (n + 1))
            bytes += "Foreign" + QByteArray::number(bytes.size()) + "=a value another tool keeps here\r\n";
        for (int row = 1; row <= 10; ++row)
            bytes += "String" + QByteArray::number(row) + "=" + QByteArray::number(row) + "\r\n";
        bytes += "STX=-1\r\nCRLF=True\r\n";
        ++n;
    }
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        return 1;
    out.close();
    std::printf("list file: %.1f MB\n", bytes.size() / 1048576.0);

    QElapsedTimer clock;
    clock.start();
    int reads = 0;
    QString sink;
    for (const QLatin1StringView section : sections) {
        for (int row = 1; row <= 10; ++row, ++reads)
            sink += ReadIni(QString(section), K::rowKey(row), file);
    }
    for (const QLatin1StringView section : {K::AutoString, K::MesgString, K::FuncString}) {
        sink += ReadIni(QString(section), QString(K::STX), file) +
                ReadIni(QString(section), QString(K::CRLF), file);
        reads += 2;
    }
    std::printf("one ReadIni per key (%d reads): %lld ms\n", reads, qint64(clock.elapsed()));

    clock.restart();
    AppData data;
    loadStoredStrings(data, file);
    std::printf("loadStoredStrings (one read): %lld ms\n", qint64(clock.elapsed()));
    return data.MesgList[9].strMesg == QLatin1String("10") && data.FuncCRLF && sink.size() > 0 ? 0 : 2;
}
