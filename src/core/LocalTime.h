#pragma once

namespace kivo {

// While TZ is unset, every reading of the local time makes the C library look at the system's
// zone file again (a path look-up and a stat), and a stream stamps readings many times a second.
// Naming that same file in TZ keeps the zone and drops the look-ups; a zone the user set in TZ is
// kept as it is. Call at start-up, before other threads run.
void settleLocalTimeZone();

} // namespace kivo
