#pragma once

#include "protocol/WeightValue.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace kivo {

class Link;

// One weight frame that monitoring found, as consumers (statistics, logs, plots) take it.
struct WeightReading
{
    Link *link = nullptr;
    QString endpoint;             // the link's endpoint when the frame completed
    QDateTime time;               // when the frame's last byte was handled
    int layout = 0;               // the indicator mode the frame was read with
    QString status;               // trimmed status field; empty for layouts without one
    QString weightText;           // trimmed weight field, as the display shows it
    QString unit;                 // the unit the frame carries ("kg" for the fixed layouts)
    std::optional<double> weight; // the weight field as a number, when it reads as one
    bool stable = false;
    bool overload = false;
};

} // namespace kivo
