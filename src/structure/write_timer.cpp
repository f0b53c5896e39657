// The write timer's state machine.
#include "structure/write_timer.h"

namespace pelgo::structure {

WriteTimer::Decision WriteTimer::Tick(bool iconVisible, bool updateWindowOpen, int status) {
    if (!iconVisible) {
        m_counter = m_previous = m_delay = 0;
        return Decision::None;
    }
    if (updateWindowOpen) {
        return Decision::None;
    }
    if (m_counter - m_previous == 4) {
        m_delay = 4;
    }
    Decision decision = Decision::None;
    if (m_delay > 0) {
        --m_delay;
    } else if ((m_counter == 2 || m_counter == 3) && status < 2) {
        decision = Decision::Take;
    } else if (m_counter + m_previous == 0 && status == 2) {
        decision = Decision::Release;
    }
    m_previous = m_counter;
    if (m_counter > 0) {
        --m_counter;
    }
    return decision;
}

} // namespace pelgo::structure
