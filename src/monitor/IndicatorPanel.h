#pragma once

#include "monitor/FrameCollector.h"
#include "traffic/RepaintGate.h"

#include <QColor>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QWidget;

namespace kivo {

class SegmentDisplay;

// The indicator read-out on the right of the control panel: the dark display with the weight
// and its two lamps, the socket state label and the three monitoring buttons. Its controls are its
// own; the monitoring controller works it through the calls and signals below.
class IndicatorPanel : public QWidget
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

    // The display's changes; painted at most once per repaint interval while frames stream in.
    void setWeight(const QString &text);
    void setIndiColor(const QColor &color);
    void setLamps(const LampState &lamps);
    // The unit printed at the display's lower right ("kg", "g", "lb"...; empty prints none).
    void setUnit(const QString &unit);
    [[nodiscard]] QString unit() const { return m_unit; }
    // The socket state line at the top of the display ("TCP- Connected").
    void setSocketState(const QString &text);

signals:
    void monOnClicked();
    void monOffClicked();
    void monSetClicked();

private:
    QLabel *m_imgShow = nullptr;
    SegmentDisplay *m_lblIndi = nullptr;
    QLabel *m_lblStable = nullptr;
    QLabel *m_lblOverload = nullptr;
    QLabel *m_lblSocketState = nullptr;
    QPushButton *m_cmdMonOn = nullptr;
    QPushButton *m_cmdMonOff = nullptr;
    QPushButton *m_cmdMonSet = nullptr;
    std::unique_ptr<RepaintGate> m_gate;
    std::unique_ptr<RepaintGate> m_lampGate;
    std::optional<LampState> m_lamps; // as last shown, compared before the labels' colours are touched
    QString m_unit;
};

// The text colour a label is drawn with.
[[nodiscard]] QColor textColor(const QLabel *label);

} // namespace kivo
