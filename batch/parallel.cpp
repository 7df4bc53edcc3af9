// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace korvel::batch {

namespace {

// Items are taken a few at a time: fewer trips to the shared counter, and
// still an even share when some items take longer than others.
constexpr std::size_t kItemsPerTake = 16;

}  // namespace

void ForEachInParallel(std::size_t count, unsigned threads,
                       const std::function<void(std::size_t i, unsigned worker)>& work,
                       const std::function<void()>& alongside) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto drain = [&](unsigned worker) {
        try {
            if (worker == 0 && alongside) alongside();
            for (std::size_t begin = next.fetch_add(kItemsPerTake); begin < count;
                 begin = next.fetch_add(kItemsPerTake)) {
                for (std::size_t i = begin; i < std::min(count, begin + kItemsPerTake); ++i) work(i, worker);
            }
        } catch (...) {
            const std::lock_guard lock(failureLock);
            if (!failure) failure = std::current_exception();
            next = count;  // the others stop after their current take
        }
    };
    const std::size_t takes = (count + kItemsPerTake - 1) / kItemsPerTake;
    const auto used = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(takes, 1)));
    std::vector<std::jthread> pool;
    for (unsigned worker = 1; worker < used; ++worker) pool.emplace_back(drain, worker);
    drain(0);
    pool.clear();  // joins
    if (failure) std::rethrow_exception(failure);
}

}  // namespace korvel::batch
