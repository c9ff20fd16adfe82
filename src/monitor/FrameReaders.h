#pragma once

#include "protocol/FrameReader.h"

#include <QStringList>

#include <memory>

namespace kivo {

// A reader for any monitoring layout: the fixed-length layouts through the frame collector, the
// protocols through their own readers. nullptr for a mode outside the list or a pattern layout
// with a problem.
[[nodiscard]] std::unique_ptr<FrameReader> makeFrameReader(int mode, const PatternLayout &pattern = {});

// Every layout's name, in mode order, as the settings dialog lists them.
[[nodiscard]] QStringList indicatorModeNames();

} // namespace kivo
