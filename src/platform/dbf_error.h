// Errors of the table engine. Callers tell them apart: a table held by another program (TableLocked) is how
// a start learns that other instances have the data open, a damaged table (TableDamaged) is offered the
// check with repair, and every other table failure is a plain TableError.
#pragma once

#include "core/errors.h"

namespace pelgo::platform {

class TableError : public core::Error {
public:
    using core::Error::Error;
};

// Another holder has the table in a mode that excludes the one asked for.
class TableLocked : public TableError {
public:
    using TableError::TableError;
};

// The header is unreadable, or the record count, the file's length and the end marker disagree.
class TableDamaged : public TableError {
public:
    using TableError::TableError;
};

} // namespace pelgo::platform
