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

// Framing flags, kept in the AutoString, MesgString and FuncString sections.
inline constexpr QLatin1StringView STX{"STX"};
inline constexpr QLatin1StringView CRLF{"CRLF"};

// The key of 1-based row n: "String1" .. "String10".
[[nodiscard]] inline QString rowKey(int n)
{
    return QStringLiteral("String") + QString::number(n);
}

} // namespace kivo::ListFileKeys
