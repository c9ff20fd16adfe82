#include "core/StoredStrings.h"

#include "core/Conversions.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"

namespace kivo {

namespace K = ListFileKeys;

namespace {
int16_t readNumber(const QString &section, int row, const QString &file)
{
    return leadingInt16(ReadIni(section, K::rowKey(row + 1), file)).value_or(0);
}
QString readText(const QString &section, int row, const QString &file)
{
    return ReadIni(section, K::rowKey(row + 1), file);
}
} // namespace

QString stxText(bool on)
{
    return on ? QStringLiteral("-1") : QStringLiteral("0");
}
QString crlfText(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

void readStxFlag(const QString &text, bool &flag)
{
    // Only -1 counts as on: every user of the flag tests for -1.
    if (const auto v = toInt16(text))
        flag = (*v == -1);
}

void readCrlfFlag(const QString &text, bool &flag)
{
    if (const auto v = toBool(text))
        flag = *v;
}

void loadStoredStrings(AppData &d, const QString &file)
{
    for (int r = 0; r < AppData::kRepeatRows; ++r) {
        d.RepeatList[r].String = readText(QString(K::AutoString), r, file);
        d.RepeatList[r].Mode = readNumber(QString(K::AutoMode), r, file);
        d.RepeatList[r].Enabled = readNumber(QString(K::AutoSendEnable), r, file);

        d.MesgList[r].strMesg = readText(QString(K::MesgString), r, file);
        d.MesgList[r].strDesc = readText(QString(K::MesgDesc), r, file);
        d.MesgList[r].iMode = readNumber(QString(K::MesgMode), r, file);

        if (r < AppData::kFuncKeys) {
            d.FuncKeys[r].Caption = readText(QString(K::FuncKeyCap), r, file);
            d.FuncKeys[r].String = readText(QString(K::FuncString), r, file);
            d.FuncKeys[r].Mode = readNumber(QString(K::FuncMode), r, file);
            d.FuncKeys[r].Enabled = readNumber(QString(K::FuncSendEnable), r, file);
        }
    }
    readStxFlag(ReadIni(QString(K::AutoString), QString(K::STX), file), d.AutoSTX);
    readCrlfFlag(ReadIni(QString(K::AutoString), QString(K::CRLF), file), d.AutoCRLF);
    readStxFlag(ReadIni(QString(K::MesgString), QString(K::STX), file), d.bMesgSTX);
    readCrlfFlag(ReadIni(QString(K::MesgString), QString(K::CRLF), file), d.bMesgCRLF);
    readStxFlag(ReadIni(QString(K::FuncString), QString(K::STX), file), d.FuncSTX);
    readCrlfFlag(ReadIni(QString(K::FuncString), QString(K::CRLF), file), d.FuncCRLF);
}

} // namespace kivo
