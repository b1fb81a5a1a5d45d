// The local date and time in the user's short date and time formats.
#pragma once
#include "clock.h"

class SystemClock final : public Clock {
public:
    [[nodiscard]] DateTimeText Now() const override;
    [[nodiscard]] std::chrono::milliseconds Ticks() const override;
};
