#pragma once

#include <QLatin1StringView>
#include <QString>

// Sections and keys of the list file "kivo.ini".
namespace kivo::ListFileKeys {

inline constexpr QLatin1StringView FileName{"kivo.ini"};

inline constexpr QLatin1StringView AutoString{"AutoString"};
inline constexpr QLatin1StringView AutoMode{"AutoMode"};
inline constexpr QLatin1StringView AutoSendEnable{"AutoSendEnable"};
inline constexpr QLatin1StringView MesgString{"MesgString"};
inline constexpr QLatin1StringView MesgDesc{"MesgDesc"};
inline constexpr QLatin1StringView MesgMode{"MesgMode"};
inline constexpr QLatin1StringView FuncKeyCap{"FuncKeyCap"};
inline constexpr QLatin1StringView FuncString{"FuncString"};
inline constexpr QLatin1StringView FuncMode{"FuncMode"};
inline constexpr QLatin1StringView FuncSendEnable{"FuncSendEnable"};

// The user's own monitoring layout: frame end ("CR", "LF", "CRLF", "ETX" or a length in bytes),
// the expression, the values of its stable and overload groups that mean true (separated by commas)
// and the request polling sends.
inline constexpr QLatin1StringView Pattern{"Pattern"};
inline constexpr QLatin1StringView PatternEnd{"End"};
inline constexpr QLatin1StringView PatternExpression{"Expression"};
inline constexpr QLatin1StringView PatternStable{"Stable"};
inline constexpr QLatin1StringView PatternOverload{"Overload"};
inline constexpr QLatin1StringView PatternRequest{"Request"};

// Framing flags, kept in the AutoString, MesgString and FuncString sections.
inline constexpr QLatin1StringView STX{"STX"};
inline constexpr QLatin1StringView CRLF{"CRLF"};

// The key of 1-based row n: "String1" .. "String10".
[[nodiscard]] inline QString rowKey(int n)
{
    return QStringLiteral("String") + QString::number(n);
}

} // namespace kivo::ListFileKeys
