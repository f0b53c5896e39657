// The write timer's marker decisions, tick by tick.
#include "structure/write_timer.h"

#include <gtest/gtest.h>
#include <string>

namespace pelgo::structure {
namespace {

// Runs ticks; `posts[i]` says whether a post came before tick i. Returns one letter per tick: T took the
// marker, R released it, . nothing. The status follows the decisions as the marker would.
std::string RunTicks(const std::string& posts, int ticks, bool updateWindowOpen = false) {
    WriteTimer timer;
    int status = 0;
    std::string decisions;
    for (int i = 0; i < ticks; ++i) {
        if (i < static_cast<int>(posts.size()) && posts[static_cast<std::size_t>(i)] == 'p') {
            timer.MarkWrite();
        }
        switch (timer.Tick(true, updateWindowOpen, status)) {
        case WriteTimer::Decision::Take:
            status = 2;
            decisions += 'T';
            break;
        case WriteTimer::Decision::Release:
            status = 0;
            timer.ResetCounter();
            decisions += 'R';
            break;
        case WriteTimer::Decision::None:
            decisions += '.';
            break;
        }
    }
    return decisions;
}

TEST(WriteTimer, MarkerFollowsBurstsOfPosts) {
    struct Case {
        const char* posts;
        const char* decisions;
    };
    const Case cases[] = {
        {"pppp", "....T...R..."},                           // taken at the first quiet tick, released four ticks later
        {"ppppp", ".....T...R.."}, {"ppp", "....T..R...."}, // taken at the second tick of the pause
        {"p", "............"},                              // the delay outlasts the counter
        {"pp", "............"},    {"", "............"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunTicks(c.posts, 12), c.decisions) << c.posts;
    }
}

TEST(WriteTimer, OpenUpdateWindowFreezesAndHiddenIconResets) {
    EXPECT_EQ(RunTicks("pppp", 12, true), "............");
    WriteTimer timer;
    timer.MarkWrite();
    EXPECT_EQ(timer.Tick(false, false, 0), WriteTimer::Decision::None);
    EXPECT_EQ(timer.Counter(), 0);
}

} // namespace
} // namespace pelgo::structure
