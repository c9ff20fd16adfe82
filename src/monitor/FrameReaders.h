#pragma once

#include "protocol/FrameReader.h"

#include <QStringList>

#include <memory>

namespace kivo {

// A reader for any monitoring layout: the fixed-length layouts through the frame collector, the
// protocols through their own readers. nullptr for a mode outside the list or a pattern layout
// with a problem.
[[nodiscard]] std::unique_ptr<FrameReader> makeFrameReader(int mode, const PatternLayout &pattern = {});

// A frame of a fixed-length layout as the protocols report theirs; these frames always weigh in kg.
[[nodiscard]] ProtocolFrame fixedLayoutFrame(const struct FrameStep &step);

// Every layout's name, in mode order, as the settings dialog lists them.
[[nodiscard]] QStringList indicatorModeNames();

} // namespace kivo
