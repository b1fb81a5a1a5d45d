#include "clock.h"

std::wstring FallbackDate(unsigned year, unsigned month, unsigned day) {
    return std::to_wstring(year) + L"/" + std::to_wstring(month) + L"/" + std::to_wstring(day);
}

std::wstring FallbackTime(unsigned hour, unsigned minute, unsigned second) {
    auto two = [](unsigned n) { return (n < 10 ? L"0" : L"") + std::to_wstring(n); };
    return std::to_wstring(hour) + L":" + two(minute) + L":" + two(second);
}
