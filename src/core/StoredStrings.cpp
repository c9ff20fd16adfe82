#include "core/StoredStrings.h"

#include "core/Conversions.h"
#include "core/IniFile.h"
#include "core/ListFileKeys.h"

namespace kivo {

namespace K = ListFileKeys;

namespace {
int16_t readNumber(const IniDocument &doc, QLatin1StringView section, int row)
{
    return leadingInt16(doc.value(QString(section), K::rowKey(row + 1))).value_or(0);
}
QString readText(const IniDocument &doc, QLatin1StringView section, int row)
{
    return doc.value(QString(section), K::rowKey(row + 1));
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
    loadStoredStrings(d, IniDocument::read(file));
}

void loadStoredStrings(AppData &d, const IniDocument &doc)
{
    for (int r = 0; r < AppData::kRepeatRows; ++r) {
        d.RepeatList[r].String = readText(doc, K::AutoString, r);
        d.RepeatList[r].Mode = readNumber(doc, K::AutoMode, r);
        d.RepeatList[r].Enabled = readNumber(doc, K::AutoSendEnable, r);

        d.MesgList[r].strMesg = readText(doc, K::MesgString, r);
        d.MesgList[r].strDesc = readText(doc, K::MesgDesc, r);
        d.MesgList[r].iMode = readNumber(doc, K::MesgMode, r);

        if (r < AppData::kFuncKeys) {
            d.FuncKeys[r].Caption = readText(doc, K::FuncKeyCap, r);
            d.FuncKeys[r].String = readText(doc, K::FuncString, r);
            d.FuncKeys[r].Mode = readNumber(doc, K::FuncMode, r);
            d.FuncKeys[r].Enabled = readNumber(doc, K::FuncSendEnable, r);
        }
    }
    readStxFlag(doc.value(QString(K::AutoString), QString(K::STX)), d.AutoSTX);
    readCrlfFlag(doc.value(QString(K::AutoString), QString(K::CRLF)), d.AutoCRLF);
    readStxFlag(doc.value(QString(K::MesgString), QString(K::STX)), d.bMesgSTX);
    readCrlfFlag(doc.value(QString(K::MesgString), QString(K::CRLF)), d.bMesgCRLF);
    readStxFlag(doc.value(QString(K::FuncString), QString(K::STX)), d.FuncSTX);
    readCrlfFlag(doc.value(QString(K::FuncString), QString(K::CRLF)), d.FuncCRLF);
}

bool saveMessageDescription(AppData &d, int row, const QString &text, const QString &file)
{
    if (row < 0 || row >= AppData::kMesgRows)
        return false;
    // Memory holds what the file will give back at the next start.
    d.MesgList[row].strDesc = iniStoredText(text);
    return WriteIni(QString(K::MesgDesc), K::rowKey(row + 1), d.MesgList[row].strDesc, file);
}

} // namespace kivo
