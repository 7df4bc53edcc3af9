// SPDX-License-Identifier: GPL-3.0-or-later
// Independent pieces of work spread over threads.
#pragma once

#include <cstddef>
#include <functional>

namespace korvel::batch {

// Calls work(i, worker) once for every i below `count`, on up to `threads`
// threads (the calling one among them), and returns when all are done.
// `worker` (below `threads`) names the thread, for state a thread keeps to
// itself. The calling thread first runs `alongside`, if given, while the
// others have started on the work. The first exception thrown is thrown here
// once every thread has finished.
void ForEachInParallel(std::size_t count, unsigned threads,
                       const std::function<void(std::size_t i, unsigned worker)>& work,
                       const std::function<void()>& alongside = nullptr);

}  // namespace korvel::batch
