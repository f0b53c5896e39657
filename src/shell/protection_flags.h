// The flags that decide whether this instance may write. The settings reader sets some of them; the
// application state evaluates them (and the tables' modes) into the protection.
#pragma once

namespace pelgo::shell {

struct ProtectionFlags {
    bool sboiFlag = false;        // the failure flag: something went wrong that could damage shared data
    bool networkReadOnly = false; // the archive table came up read-only, or a reload by another was declined
    int userRights = 0;           // 0 full control, 1 read only, 2 no access
    bool treeReadOnly = false;    // Ignore at a tree lock timeout ([Setup] ProtectStructTree protects too)
    bool readOnlyStart = false;   // "/R" on the command line
    bool multiUserAccess = false; // another instance shares the data

    // Everything but the tables' modes, which only the application state knows.
    bool AnyFlagProtects() const {
        return sboiFlag || networkReadOnly || userRights != 0 || treeReadOnly || readOnlyStart;
    }
};

} // namespace pelgo::shell
