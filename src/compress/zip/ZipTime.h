#pragma once
// MS-DOS date and time of ZIP headers: local time, two-second steps, years 1980 to 2107.
#include <cstdint>

// Unix seconds -> DOS date (high half) and time (low half) in local time, clamped to the range.
uint32_t ToDosDateTime(int64_t unixSeconds);
// DOS date and time (local time) -> Unix seconds.
int64_t FromDosDateTime(uint32_t dosDateTime);
