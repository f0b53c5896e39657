// The write timer's decisions about the Exclusive marker, as a plain state machine driven by ticks:
// after a burst of posts the marker is taken, and released a few quiet ticks later.
#pragma once

namespace pelgo::structure {

class WriteTimer {
public:
    enum class Decision { None, Take, Release };

    // After every post on either table and every SaveAll.
    void MarkWrite() { m_counter = 4; }
    // At activation and when the marker is released.
    void ResetCounter() { m_counter = 0; }

    // One tick. `iconVisible`: the multi-user icon is shown (otherwise everything resets); `updateWindowOpen`:
    // an archive-update, change-type, inventory-synchronisation or bulk-data window is on screen (nothing
    // changes); `status`: the current MultiUserStatus.
    Decision Tick(bool iconVisible, bool updateWindowOpen, int status);

    int Counter() const { return m_counter; }

private:
    int m_counter = 0;  // C: set to 4 by a post, counts down per tick
    int m_previous = 0; // P: C at the previous tick
    int m_delay = 0;    // D: ticks to wait after the first post of a burst
};

} // namespace pelgo::structure
