#pragma once

#include <QLatin1StringView>

// Names in the per-user settings store: the application, its one section and every key.
namespace kivo::SettingsKeys {

inline constexpr QLatin1StringView Application{"Kivo"};
inline constexpr QLatin1StringView Section{"Setting"};

inline constexpr QLatin1StringView Port{"Port"};
inline constexpr QLatin1StringView AutoReconnect{"AutoReconnect"};
inline constexpr QLatin1StringView Parity{"Parity"};
inline constexpr QLatin1StringView DataBit{"DataBit"};
inline constexpr QLatin1StringView StopBit{"StopBit"};
inline constexpr QLatin1StringView Bps{"Bps"};
inline constexpr QLatin1StringView RecvDelay{"RecvDelay"};
inline constexpr QLatin1StringView SendFormat{"SendFormat"};
inline constexpr QLatin1StringView SendForm{"SendForm"};
inline constexpr QLatin1StringView DelayTime{"DelayTime"};
inline constexpr QLatin1StringView DelayCount{"DelayCount"};
inline constexpr QLatin1StringView ViewMode{"ViewMode"};
inline constexpr QLatin1StringView SplitPos{"SplitPos"};
inline constexpr QLatin1StringView CommType{"COMMTYPE"};
inline constexpr QLatin1StringView IndicatorMode{"IndicatorMode"};
inline constexpr QLatin1StringView IndicatorID{"IndicatorID"};
inline constexpr QLatin1StringView WinSockIP{"WinSockIP"};
inline constexpr QLatin1StringView WinSockPort{"WinSockPort"};

// Whether the traffic views start their lines with the time ("1") or not.
inline constexpr QLatin1StringView ShowTimes{"ShowTimes"};

// Whether the weighing analysis is shown beside the window ("1") or not.
inline constexpr QLatin1StringView ShowAnalysis{"ShowAnalysis"};

// Whether monitoring sends the layout's request ("1") and how often, in milliseconds.
inline constexpr QLatin1StringView Poll{"Poll"};
inline constexpr QLatin1StringView PollInterval{"PollInterval"};

// The serial port's device name (a "Port" index alone cannot name a typed or virtual port).
inline constexpr QLatin1StringView PortName{"PortName"};

} // namespace kivo::SettingsKeys
