// The archive and the node-record table opened read-only and indexed as the reports read them, with the
// additional data over the node records: what a report benchmark generates from and reads beside.
#pragma once

#include <string>

#include "core/date_time.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"

namespace pelgo::bench {

struct ReportTables {
    ReportTables(const std::string& devicePath, const std::string& otherPath, const std::string& logPath,
                 const core::Clock& clock)
        : device(platform::DbfTable::Open(devicePath, platform::DbfOpenMode::ReadOnly, clock)),
          other(platform::DbfTable::Open(otherPath, platform::DbfOpenMode::ReadOnly, clock)), records(other),
          log(logPath, clock), additional(records, log) {
        device.SetIndex("MAC_ADR");
        other.SetIndex("UNO");
    }

    platform::DbfTable device;
    platform::DbfTable other;
    structure::NodeRecordsTable records;
    core::WorkLog log;
    structure::AdditionalData additional;
};

} // namespace pelgo::bench
