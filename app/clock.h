// The current local date and time as the user's short date and time formats render them, and a
// steady tick count for waits.
#pragma once
#include <chrono>
#include <string>

#include "schemes/scheme_file.h"  // DateTimeText

// yyyy/M/d and H:mm:ss, for when the platform cannot format the date or time.
[[nodiscard]] std::wstring FallbackDate(unsigned year, unsigned month, unsigned day);
[[nodiscard]] std::wstring FallbackTime(unsigned hour, unsigned minute, unsigned second);

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual DateTimeText Now() const = 0;
    // A steady count that only goes forward, for bounds measured in time.
    [[nodiscard]] virtual std::chrono::milliseconds Ticks() const = 0;
};
