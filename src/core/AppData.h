#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace kivo {

// Send notation of a stored string or the send box: 1 = ASCII, anything else = Hexa.
enum SendFormat : int16_t { FormatAscii = 1, FormatHexa = 2 };

struct AutoItem
{
    QString String;
    int16_t Mode = 0;
    int16_t Enabled = 0;
};

struct MesgRecord
{
    QString strMesg;
    QString strDesc;
    int16_t iMode = 0;
};

struct FuncItem
{
    QString Caption;
    QString String;
    int16_t Mode = 0;
    int16_t Enabled = 0;
};

// The program-wide tables and settings held in memory while the main window lives: the three
// stored-string tables with their framing options (list file) and the monitoring settings
// (settings store). The main window owns the one instance; dialogs get a reference.
struct AppData
{
    static constexpr int kSlots = 11;
    static constexpr int kRepeatRows = 10;
    static constexpr int kMesgRows = 10;
    static constexpr int kFuncKeys = 4;

    std::array<AutoItem, kSlots> RepeatList{};
    std::array<MesgRecord, kSlots> MesgList{};
    std::array<FuncItem, kSlots> FuncKeys{};

    // Framing options: line end (CR LF) and STX/ETX wrapping of ASCII stored strings.
    bool AutoSTX = false;
    bool AutoCRLF = false;
    bool bMesgSTX = false;
    bool bMesgCRLF = false;
    bool FuncSTX = false;
    bool FuncCRLF = false;

    // Monitoring.
    bool bMonitor = false;
    int16_t iIndicatorMode = 0; // 0 "Orvan 22byte", 1 "Orvan 10byte", 2 "AND 18byte"
    int16_t iIndicatorID = 0;
    QString strWinSockIP;
    QString strWinSockPort;
};

} // namespace kivo
