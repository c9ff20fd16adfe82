#pragma once

#include <QObject>

class QLabel;
class QPushButton;
class QWidget;

namespace kivo {

// The indicator read-out on the right of the control panel: the dark display with the weight
// and its two lamps, the socket state label and the three monitoring buttons.
class IndicatorPanel : public QObject
{
    Q_OBJECT
public:
    explicit IndicatorPanel(QWidget *controlPanel);

    QLabel *imgShow = nullptr;
    QLabel *lblIndi = nullptr;
    QLabel *lblStable = nullptr;
    QLabel *lblOverload = nullptr;
    QLabel *lblSocketState = nullptr;
    QPushButton *cmdMonOn = nullptr;
    QPushButton *cmdMonOff = nullptr;
    QPushButton *cmdMonSet = nullptr;
};

} // namespace kivo
