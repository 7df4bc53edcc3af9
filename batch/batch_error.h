// SPDX-License-Identifier: GPL-3.0-or-later
// The one failure type of korvel-batch itself: bad input, or an output that
// cannot be written. It ends the batch with exit code 2 and its message.
#pragma once

#include <stdexcept>

namespace korvel::batch {

class BatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command line that cannot be followed: the message points to --help.
class UsageError : public BatchError {
public:
    using BatchError::BatchError;
};

}  // namespace korvel::batch
