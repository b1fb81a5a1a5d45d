#include "clock.h"

std::wstring DecimalText(unsigned long value) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::wstring FallbackDate(unsigned year, unsigned month, unsigned day) {
    return DecimalText(year) + L"/" + DecimalText(month) + L"/" + DecimalText(day);
}

std::wstring FallbackTime(unsigned hour, unsigned minute, unsigned second) {
    auto two = [](unsigned n) { return (n < 10 ? L"0" : L"") + DecimalText(n); };
    return DecimalText(hour) + L":" + two(minute) + L":" + two(second);
}
