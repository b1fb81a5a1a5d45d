#include "clock_win32.h"

#include <windows.h>

namespace {

template <class Format>
std::wstring FormatWith(Format format) {
    const int length = format(nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length), L'\0');
    const int written = format(text.data(), length);
    text.resize(written > 0 ? static_cast<size_t>(written - 1) : 0);
    return text;
}

}  // namespace

DateTimeText SystemClock::Now() const {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    DateTimeText text;
    text.date = FormatWith([&](wchar_t* out, int size) {
        return ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, out, size, nullptr);
    });
    text.time = FormatWith([&](wchar_t* out, int size) {
        return ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, out, size);
    });
    // Should the user's formats fail, the common Chinese ones still date the line.
    text.fallbackDate = FallbackDate(now.wYear, now.wMonth, now.wDay);
    text.fallbackTime = FallbackTime(now.wHour, now.wMinute, now.wSecond);
    if (text.date.empty()) text.date = text.fallbackDate;
    if (text.time.empty()) text.time = text.fallbackTime;
    return text;
}

std::chrono::milliseconds SystemClock::Ticks() const { return std::chrono::milliseconds(::GetTickCount64()); }
