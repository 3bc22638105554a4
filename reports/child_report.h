// A child window that makes its own Save and Print reports. The main window's
// Save and Print hand the command to it instead of answering that the window
// does not support the option.
#pragma once

#include "core/services.h"
#include "reports/frmmain_reports.h"

namespace mq {

class ChildReport {
public:
    virtual ~ChildReport() = default;
    virtual void saveReport(Services& services, ReportOutput& output) = 0;
    virtual void printReport(Services& services, ReportOutput& output) = 0;
};

}  // namespace mq
