// SPDX-License-Identifier: GPL-3.0-or-later
// One batch: the input checked whole, then its rows computed in chunks, on
// several threads, and written in row order, so that every output is the
// same whatever the number of threads.
#pragma once

#include "batch/batch_main.h"
#include "batch/options.h"

namespace korvel::batch {

// Runs the batch the options describe; gives the exit code. Throws
// BatchError for bad input and for an output that cannot be written.
int RunBatch(const Options& options, BatchStreams& streams);

}  // namespace korvel::batch
