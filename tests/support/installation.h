// A bare installation for the application state's tests: BASE/ with empty tables and a small tree.
#pragma once

#include <string>

#include "core/cp1251.h"
#include "core/date_time.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "support/temp_dir.h"

namespace pelgo::testing {

// `treeText` is UTF-8; `image` gives each of its nodes an icon and a UNO.
inline void MakeInstallation(const TempDir& dir, const core::Clock& clock, const std::string& treeText,
                             const std::string& image) {
    core::CreateDirectories(dir / "BASE");
    platform::DbfTable::Create(dir / "BASE/device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable::Create(dir / "BASE/other.dbf", platform::kOtherTableFields, clock);
    WriteBytes(dir / "BASE/struct", core::Utf8ToCp1251(treeText));
    WriteBytes(dir / "BASE/image", image);
}

} // namespace pelgo::testing
