// The current local date and time as the user's short date and time formats render them.
#pragma once
#include <string>

struct DateTimeText {
    std::wstring date;
    std::wstring time;
};

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual DateTimeText Now() const = 0;
};
