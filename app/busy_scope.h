// Keeps the window from taking input while a handler may wait, also on an early return; the
// outermost scope of a nest sets and clears the view's one busy flag.
#pragma once
#include "form_view.h"

class BusyScope {
public:
    explicit BusyScope(FormView& view) : view_(view), outermost_(!view.Busy()) {
        if (outermost_) view_.SetBusy(true);
    }
    ~BusyScope() {
        if (outermost_) view_.SetBusy(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    FormView& view_;
    bool outermost_;
};
