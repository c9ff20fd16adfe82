#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <limits>

namespace kivo {

// Send notation of a stored string or the send box. Stored as 1 = ASCII; any other stored value
// is Hexa (2 when written).
enum class SendFormat { Ascii, Hexa };

[[nodiscard]] constexpr SendFormat sendFormatOf(int16_t stored)
{
    return stored == 1 ? SendFormat::Ascii : SendFormat::Hexa;
}
[[nodiscard]] constexpr int16_t storedValue(SendFormat format)
{
    return format == SendFormat::Ascii ? 1 : 2;
}

// How the send box sends: each whole unit as it is typed (Byte Data) or the whole text on Send
// (Message Data). Stored as 1 = Byte Data; any other stored value is Message Data (2 when written).
enum class SendForm { Byte, Message };

[[nodiscard]] constexpr SendForm sendFormOf(int16_t stored)
{
    return stored == 1 ? SendForm::Byte : SendForm::Message;
}
[[nodiscard]] constexpr int16_t storedValue(SendForm form)
{
    return form == SendForm::Byte ? 1 : 2;
}

// The traffic view tab, stored as its position 1 to 4.
enum class ViewTab { Ascii = 1, Hexa = 2, Both = 3, Terminal = 4 };

[[nodiscard]] constexpr bool isViewTab(int stored)
{
    return stored >= 1 && stored <= 4;
}
[[nodiscard]] constexpr int storedValue(ViewTab tab)
{
    return static_cast<int>(tab);
}
// Whether the tab shows the ASCII view, the hex view.
[[nodiscard]] constexpr bool showsAscii(ViewTab tab)
{
    return tab == ViewTab::Ascii || tab == ViewTab::Both;
}
[[nodiscard]] constexpr bool showsHex(ViewTab tab)
{
    return tab == ViewTab::Hexa || tab == ViewTab::Both;
}

// The most characters a box for a stored string or the send box takes. A line edit cuts at 32767
// by default; the list file and the links carry any length, so nothing is cut.
inline constexpr int kTextBoxLimit = std::numeric_limits<int>::max();

// The longest Recv Delay, in seconds, that keeps serial chunks short enough for monitoring.
inline constexpr double kMonitorDelayLimit = 0.04;

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
    static constexpr int kRepeatRows = 10;
    static constexpr int kMesgRows = 10;
    static constexpr int kFuncKeys = 4;

    std::array<AutoItem, kRepeatRows> RepeatList{};
    std::array<MesgRecord, kMesgRows> MesgList{};
    std::array<FuncItem, kFuncKeys> FuncKeys{};

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
