// The current local date and time as the user's short date and time formats render them.
#pragma once
#include <string>

struct DateTimeText {
    std::wstring date;
    std::wstring time;
    std::wstring fallbackDate;  // the same moment as FallbackDate and FallbackTime write it
    std::wstring fallbackTime;
};

// yyyy/M/d and H:mm:ss, for when the platform cannot format the date or time.
[[nodiscard]] std::wstring FallbackDate(unsigned year, unsigned month, unsigned day);
[[nodiscard]] std::wstring FallbackTime(unsigned hour, unsigned minute, unsigned second);

class Clock {
public:
    virtual ~Clock() = default;
    [[nodiscard]] virtual DateTimeText Now() const = 0;
};
