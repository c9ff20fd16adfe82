#pragma once

#include "traffic/RepaintGate.h"

#include <QColor>
#include <QObject>

#include <memory>

class QLabel;
class QPushButton;
class QWidget;

namespace kivo {

class SegmentDisplay;
struct LampState;

// The indicator read-out on the right of the control panel: the dark display with the weight
// and its two lamps, the socket state label and the three monitoring buttons.
class IndicatorPanel : public QObject
{
    Q_OBJECT
public:
    explicit IndicatorPanel(QWidget *controlPanel);

    // Text colours of the weight and of the lamps, lit and unlit.
    static constexpr QColor kIdleColor{25, 25, 25};
    static constexpr QColor kReadyColor{0, 255, 255};
    static constexpr QColor kStableLit{0, 255, 0};
    static constexpr QColor kStableOff{0, 64, 0};
    static constexpr QColor kOverloadLit{255, 0, 0};
    static constexpr QColor kOverloadOff{64, 0, 0};

    QLabel *imgShow = nullptr;
    SegmentDisplay *lblIndi = nullptr;
    QLabel *lblStable = nullptr;
    QLabel *lblOverload = nullptr;
    QLabel *lblSocketState = nullptr;
    QPushButton *cmdMonOn = nullptr;
    QPushButton *cmdMonOff = nullptr;
    QPushButton *cmdMonSet = nullptr;

    // The display's changes; painted at most once per repaint interval while frames stream in.
    void setWeight(const QString &text);
    void setIndiColor(const QColor &color);
    void setLamps(const LampState &lamps);
    // The socket state line at the top of the display ("TCP- Connected").
    void setSocketState(const QString &text);

private:
    std::unique_ptr<RepaintGate> m_gate;
};

// The text colour a label is drawn with.
[[nodiscard]] QColor textColor(const QLabel *label);

} // namespace kivo
