#include "failure_causes.h"

#include <algorithm>

#include "address_fields.h"
#include "interface_table.h"

FailureCauses DiagnoseFailure(bool elevated, bool timedOut, const CommandResult* listing) {
    FailureCauses causes;
    causes.notElevated = !elevated;
    causes.timedOut = timedOut;
    if (!listing) return causes;

    const std::vector<InterfaceRow> rows =
        listing->Succeeded() ? ParseInterfaceTable(listing->output) : std::vector<InterfaceRow>();
    const bool unreadable = rows.empty() || std::any_of(rows.begin(), rows.end(), [](const InterfaceRow& row) {
                                return row.name.find_first_of(L"?\uFFFD") != std::wstring::npos;
                            });
    const auto wired =
        std::find_if(rows.begin(), rows.end(), [](const InterfaceRow& row) { return row.name == kWiredInterface; });
    if (wired != rows.end()) {
        causes.wired = wired->Disabled() ? FailureCauses::Wired::Disabled : FailureCauses::Wired::Present;
    } else if (unreadable) {
        causes.wired = FailureCauses::Wired::Unreadable;
    } else {
        causes.wired = FailureCauses::Wired::Missing;
        for (const InterfaceRow& row : rows) causes.interfaces.push_back(row.name);
    }
    return causes;
}
