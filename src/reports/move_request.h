// The move request: one document per pair of source and destination among the moves of the run, each made
// from the move-request template in the generator's move-request mode, documents separated by page breaks.
#pragma once

#include "reports/report_template.h"
#include "reports/template_report.h"
#include "structure/tree_editor.h"

namespace pelgo::reports {

RichText MoveRequestReport(const ReportTemplate& report, ReportSources& sources, const structure::MoveLists& moves);

} // namespace pelgo::reports
