// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_main.h"

#include "batch/batch_error.h"
#include "batch/batch_run.h"
#include "batch/options.h"
#include "sheets/stations_table.h"

namespace korvel::batch {

int BatchMain(std::span<const std::string> args, BatchStreams streams) {
    try {
        Options options;
        if (const std::optional<int> done = ParseOptions(args, options, streams.out)) return *done;
        return RunBatch(options, streams);
    } catch (const UsageError& error) {
        streams.err << "korvel-batch: " << error.what() << "\nСправка: korvel-batch --help\n";
    } catch (const BatchError& error) {
        streams.err << "korvel-batch: " << error.what() << '\n';
    } catch (const StationsError& error) {
        streams.err << "korvel-batch: " << error.what() << '\n';
    }
    return kExitBadInput;
}

}  // namespace korvel::batch
