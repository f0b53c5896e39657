// Wall-clock timing of one piece of work, for benchmarks that time their iterations by hand.
#pragma once

#include <chrono>

namespace pelgo::bench {

using Seconds = std::chrono::duration<double>;

template <typename Work> double Timed(Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

} // namespace pelgo::bench
