// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/batch_run.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "batch/batch_error.h"
#include "report/file_names.h"
#include "batch/parallel.h"
#include "batch/progress_bar.h"
#include "sheets/pollution_sources.h"
#include "sheets/stations_table.h"
#include "sheets/summary.h"
#include "report/atomic_file.h"
#include "report/system_error_text.h"
#include "report/report_document.h"
#include "report/report_file.h"
#include "sheets/xlsx.h"
#include "sheets/xlsx_records.h"

namespace korvel::batch {

namespace fs = std::filesystem;

namespace {

// Rows read, computed and written at a time: enough to keep every thread
// busy, few enough that memory does not grow with the file.
constexpr std::size_t kChunkRows = 2048;

// A row and what became of it.
struct RowWork {
    StationRow row;
    StationOutcome outcome;
    std::string summaryEntry;  // Summary::Prepare
};

// A report that cannot be written, or an old one that cannot be removed,
// stops the batch at once: the reports written so far stay, each complete,
// and no summary claims rows whose reports are missing.
BatchError OutputStopped(const FatalError& error) {
    return BatchError(ErrorText(error) + "; пакет остановлен, сводка не записана");
}

// pollution_sources.csv beside the summary.
fs::path SourcesPath(const fs::path& summary) { return summary.parent_path() / kPollutionSourcesFile; }

// The summary file, which appears only when the batch completes. Its
// failures end the batch.
class SummaryFile {
public:
    explicit SummaryFile(const Options& options)
        : path_(options.summary), workbook_(options.format == SummaryFormat::Xlsx), file_(Create(options.summary)) {
        Guarded([&] {
            if (options.format == SummaryFormat::Xlsx) {
                table_ = XlsxSummary(file_->TemporaryPath(), options.input.filename().string(), kProgramName,
                                     options.separator);
            } else {
                table_ = CsvSummary(options.separator, [this](std::string_view bytes) { file_->Write(bytes); });
            }
        });
    }

    // Summary::Prepare, on any thread.
    std::string Prepare(const SummaryRow& row) const { return table_->Prepare(row); }
    void Add(const SummaryRow& row, const std::string& prepared) { Guarded([&] { table_->Add(row, prepared); }); }

    // The table of sources goes into a workbook, or into a CSV file of its own
    // beside the summary.
    void Commit(const PollutionSourceTable* sources, char separator) {
        Guarded([&] {
            table_->Finish(workbook_ ? sources : nullptr);
            file_->Commit();
        });
        if (!sources || workbook_) return;
        const fs::path path = SourcesPath(path_);
        try {
            AtomicFile file(path, "таблицу ИЗА");
            file.Write(PollutionSourcesCsv(*sources, separator));
            file.Commit();
        } catch (const FatalError& error) {
            throw BatchError(ErrorText(error));
        }
    }

private:
    static constexpr std::string_view kWhat = "сводку";

    std::unique_ptr<AtomicFile> Create(const fs::path& path) const {
        std::unique_ptr<AtomicFile> file;
        Guarded([&] { file = std::make_unique<AtomicFile>(path, std::string(kWhat)); });
        return file;
    }

    // A workbook that failed on a file is told as any other file is.
    template <typename Step>
    void Guarded(const Step& step) const {
        try {
            step();
        } catch (const SheetError& error) {
            if (error.SystemError() == 0) throw BatchError(error.what());
            throw BatchError(ErrorText(FileError(error.SystemError(), "записать", kWhat, path_)));
        } catch (const FatalError& error) {
            throw BatchError(ErrorText(error));
        }
    }

    fs::path path_;
    bool workbook_;
    std::unique_ptr<AtomicFile> file_;
    std::unique_ptr<Summary> table_;
};

class Batch {
public:
    Batch(const Options& options, BatchStreams& streams, std::size_t records,
          const std::vector<PollutionSourceParameters>& parameters)
        : options_(options),
          streams_(streams),
          input_(options.input, XlsxRecords, options.separator),
          nameWidth_(RowNumberWidth(records)),
          progress_(streams.err, records, streams.errIsTerminal && !options.quiet && records > 5000),
          summary_(options),
          sources_(parameters) {}

    // Three chunks at a time: while the other threads compute one, the
    // calling thread writes the one before and reads the one after, then
    // joins the computing.
    int Run() {
        try {
            return RunChunks();
        } catch (const BatchError&) {
            progress_.Clear();
            throw;
        }
    }

private:
    int RunChunks() {
        std::vector<RowWork> written, computed, read;
        ReadChunk(computed);
        while (!computed.empty() && !Stopped()) {
            ForEachInParallel(
                computed.size(), options_.threads,
                [&](std::size_t i, unsigned) {
                    if (!Stopped()) ComputeRow(computed[i]);
                },
                [&] {
                    AddChunk(written);
                    ReadChunk(read);
                });
            std::swap(written, computed);
            std::swap(computed, read);
        }
        if (Stopped()) {
            progress_.Clear();
            streams_.err << "korvel-batch: прервано; сводка не записана\n";
            return kExitInterrupted;
        }
        AddChunk(written);
        progress_.Finish();
        const PollutionSourceTable sources = sources_.Finish();
        summary_.Commit(sources.Wanted() ? &sources : nullptr, options_.separator);
        sourcesWritten_ = sources.Wanted();
        Conclude();
        return failed_ == 0 ? kExitAllOk : kExitSomeRowsFailed;
    }

    bool Stopped() const { return streams_.stop && streams_.stop->load(); }

    void ReadChunk(std::vector<RowWork>& chunk) {
        chunk.resize(kChunkRows);
        std::size_t count = 0;
        while (count < kChunkRows && input_.Next(chunk[count].row)) ++count;
        chunk.resize(count);
    }

    // The run, its report, and its summary entry as far as it can be made ahead.
    void ComputeRow(RowWork& work) {
        const StationInputs& typed = work.row.typed;
        if (options_.summaryOnly) {
            work.outcome = RunStation(typed, options_.separator, nullptr);
        } else {
            const fs::path report = options_.outputDir / ReportFileName(work.row.number, nameWidth_, typed.sourceName);
            work.outcome = RunStation(typed, options_.separator, [&](const CalcInputs& in, const CalcResults& out) {
                try {
                    ReplaceFile(report, BuildReport(in, out, options_.separator));
                } catch (const FatalError& error) {
                    throw OutputStopped(error);
                }
            });
            // A report of an earlier batch must not pass for this row's.
            std::error_code removeError;
            if (!work.outcome.computed && !fs::remove(report, removeError) && removeError) {
                throw OutputStopped(FileError(removeError.value(), "удалить", "отчет прошлого пакета", report));
            }
        }
        work.summaryEntry = summary_.Prepare({work.row.number, typed, work.outcome});
    }

    // In row order: the summary, the tally and the messages.
    void AddChunk(const std::vector<RowWork>& chunk) {
        for (const RowWork& work : chunk) {
            ++computed_;
            summary_.Add({work.row.number, work.row.typed, work.outcome}, work.summaryEntry);
            sources_.Add(work.row.number, work.row.typed, work.outcome);
            progress_.Update(work.row.number);
            PartlyRead(work);
            if (!work.outcome.ok) Failed(work);
        }
    }

    // Notices only: what the run reads stays as it is, in the summary too.
    void PartlyRead(const RowWork& work) {
        if (options_.quiet || work.outcome.partlyRead.empty()) return;
        progress_.Clear();
        for (const PartlyReadCell& cell : work.outcome.partlyRead) {
            streams_.err << input_.Place(work.row, cell.column) << ": «" << work.row.typed.*kStationFields[cell.column]
                         << "» " << cell.notice << '\n';
        }
    }

    void Failed(const RowWork& work) {
        ++failed_;
        if (options_.quiet) return;
        progress_.Clear();
        streams_.err << "строка " << work.row.number << " (строка файла " << work.row.line << ") «"
                     << work.row.typed.sourceName << "»: " << work.outcome.status << '\n';
    }

    void Conclude() {
        if (options_.quiet) return;
        streams_.out << "Строк: " << computed_ << ", с ошибками: " << failed_ << ". Сводка: " << options_.summary.string();
        if (sourcesWritten_ && options_.format == SummaryFormat::Csv) {
            streams_.out << "; источники загрязнения: " << SourcesPath(options_.summary).string();
        }
        if (!options_.summaryOnly) streams_.out << "; отчеты: " << options_.outputDir.string();
        streams_.out << '\n';
    }

    const Options& options_;
    BatchStreams& streams_;
    StationsTable input_;
    std::size_t nameWidth_;
    ProgressBar progress_;
    SummaryFile summary_;
    PollutionSourceBuilder sources_;
    bool sourcesWritten_ = false;
    std::size_t computed_ = 0;
    std::size_t failed_ = 0;
};

void MakeOutputDir(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        throw BatchError("не удается создать папку «" + dir.string() +
                         "»: " + (ec ? SystemErrorText(ec.value()) : std::string("такое имя занято файлом")));
    }
}


// The parameters of the sources of pollution: of --pollution-sources, else of
// the input's second sheet when it is a whole inventory's workbook; the name
// their messages give.
struct Parameters {
    std::vector<PollutionSourceParameters> lines;
    std::string name;
};

// The input's bytes when it is a workbook, else nothing.
std::optional<std::string> WorkbookInput(const fs::path& input) {
    std::ifstream in = OpenInput(input);
    std::string bytes(4, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (!LooksLikeZip(bytes)) return std::nullopt;
    bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return bytes;
}

// The option wins over the sheet, which is then told as left aside.
Parameters ReadParameters(const Options& options, BatchStreams& streams) {
    Parameters parameters;
    if (!options.pollutionSources.empty()) {
        parameters = {ReadPollutionSourceFile(options.pollutionSources), options.pollutionSources.filename().string()};
        if (options.quiet) return parameters;  // the workbook would only be warned of
    }
    const std::optional<std::string> book = WorkbookInput(options.input);
    if (!book) return parameters;
    const std::string name = options.input.filename().string();
    if (!options.pollutionSources.empty()) {
        if (HasParametersSheet(*book, name)) {
            streams.err << "korvel-batch: предупреждение: параметры ИЗА из книги «" << name
                        << "» не использованы: заданы --pollution-sources\n";
        }
    } else if (std::optional<WorkbookParameters> sheet = ReadWorkbookParameters(*book, name, true, options.separator)) {
        parameters = {std::move(sheet->lines), std::move(sheet->name)};
    }
    return parameters;
}

// The first pass over the input; with parameters, also the posts of each
// number, against which they are checked before anything is written.
std::size_t CheckInput(const Options& options, const Parameters& parameters, BatchStreams& streams) {
    if (parameters.lines.empty()) return CheckStations(options.input, XlsxRecords);
    std::vector<std::size_t> posts(kPollutionSourceNumbers);
    StationsTable input(options.input, XlsxRecords);
    while (input.Skip()) {
        const std::optional<int> key = PollutionSourceKey(input.SkippedText(kPollutionSourceColumn));
        if (key && *key != kNotANumber) ++posts[static_cast<std::size_t>(*key)];
    }
    const std::vector<std::string> warnings = CheckPollutionSourcePosts(
        parameters.lines, [&](int key) { return posts.at(static_cast<std::size_t>(key)); }, parameters.name);
    for (const std::string& warning : warnings) {
        if (!options.quiet) streams.err << "korvel-batch: предупреждение: " << warning << '\n';
    }
    return input.Records();
}

void CheckNotInput(const fs::path& input, const fs::path& output, std::string_view what) {
    if (std::error_code ec; fs::equivalent(input, output, ec)) {
        throw BatchError(std::string(what) + " «" + output.string() + "» заменила бы входной файл");
    }
}

}  // namespace

int RunBatch(const Options& options, BatchStreams& streams) {
    const Parameters parameters = ReadParameters(options, streams);
    const std::size_t records = CheckInput(options, parameters, streams);
    CheckNotInput(options.input, options.summary, "сводка");
    if (options.format == SummaryFormat::Csv) {
        CheckNotInput(options.input, SourcesPath(options.summary), "таблица ИЗА");
        if (!options.pollutionSources.empty()) {
            CheckNotInput(options.pollutionSources, SourcesPath(options.summary), "таблица ИЗА");
        }
    }
    if (!options.summaryOnly || !options.summaryGiven) MakeOutputDir(options.outputDir);
    return Batch(options, streams, records, parameters.lines).Run();
}

}  // namespace korvel::batch
