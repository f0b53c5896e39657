// What a long run reports while it works and how it learns that the user wants it to stop. Runs stay on
// the event-loop thread, so they let the window breathe through ProcessEvents between items.
#pragma once

#include <string_view>

namespace pelgo::platform {

class Progress {
public:
    virtual ~Progress() = default;
    // A line for the protocol window (cp1251).
    virtual void Protocol(std::string_view line) = 0;
    // Items done out of a total (0 when unknown).
    virtual void SetCounters(long long done, long long total) = 0;
    virtual void ProcessEvents() = 0;
    virtual bool StopRequested() const = 0;
};

} // namespace pelgo::platform
