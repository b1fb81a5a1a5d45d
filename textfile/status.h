// Outcome of an operation that can fail: ok, or an error with the platform's own words for it.
#pragma once
#include <string>
#include <utility>

class Status {
public:
    static Status Ok() { return Status(); }
    static Status Error(std::wstring detail) { return Status(std::move(detail)); }

    [[nodiscard]] bool ok() const { return !failed_; }
    [[nodiscard]] const std::wstring& detail() const { return detail_; }

private:
    Status() = default;
    explicit Status(std::wstring detail) : failed_(true), detail_(std::move(detail)) {}

    bool failed_ = false;
    std::wstring detail_;
};
