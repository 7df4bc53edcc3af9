// SPDX-License-Identifier: GPL-3.0-or-later
// The inventory's table of sources of pollution (ИЗА): the parameters typed
// for each number, computed over the rows as korvel-batch computes them, with
// their edits in the inventory's history and the files made of them.
#include <algorithm>
#include <iterator>
#include <sstream>

#include "calc/number_rules.h"
#include "sheets/inventory.h"
#include "sheets/stations_table.h"
#include "sheets/summary.h"

namespace korvel {

namespace {

// The parameters' columns, the first of PollutionSourceViewColumns: name, N,
// then η of each substance, as in a parameters file after its number.
constexpr std::size_t kParameterColumns = 2 + kSubstanceCount;

int KeyOf(const PollutionSourceParameters& typed) { return PollutionSourceKey(typed.number).value_or(kNotANumber); }

// The text of view column `column` in `typed`, or nothing for a column that is not a parameter.
std::string* ParameterField(PollutionSourceParameters& typed, std::size_t column) {
    if (column >= kParameterColumns) return nullptr;
    if (column == 0) return &typed.name;
    if (column == 1) return &typed.simultaneous;
    return &typed.cleaning[column - 2];
}

bool NoParameters(const PollutionSourceParameters& typed) {
    return typed.name.empty() && typed.simultaneous.empty() &&
           std::all_of(typed.cleaning.begin(), typed.cleaning.end(), [](const std::string& t) { return t.empty(); });
}

// The same parameters typed for the same numbers.
bool SameTexts(const std::vector<PollutionSourceParameters>& a, const std::vector<PollutionSourceParameters>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.number == y.number && x.name == y.name && x.simultaneous == y.simultaneous && x.cleaning == y.cleaning;
    });
}

// Why the parameters cannot be applied, named by their column, or nothing;
// `read` has what they mean.
std::string FaultOf(const PollutionSourceParameters& typed, ReadParameters& read) {
    const std::optional<ParameterFault> fault = ReadParameterTexts(typed, read);
    return fault ? PollutionSourceParameterColumns().at(fault->field) + ": " + fault->message : std::string();
}

// Computed cells show nothing where no post entered the sums.
bool Summed(const PollutionSourceEntry& entry) {
    return entry.fault.empty() && entry.line.posts > entry.line.failedRows.size();
}

}  // namespace

void Inventory::RecountSources() {
    // Parameters that cannot be applied still give their source its row; it
    // is computed without them and shows nothing computed.
    std::vector<std::string> faults(parameters_.size());
    std::vector<ReadParameters> applied(parameters_.size());
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
        faults[i] = FaultOf(parameters_[i], applied[i]);
        if (faults[i].empty()) continue;
        applied[i].simultaneous.reset();
        applied[i].cleaning = {};
    }
    PollutionSourceBuilder builder(parameters_, applied);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].blank) builder.Add(i + 1, rows_[i].typed, rows_[i].outcome);
    }
    sourceTable_ = builder.Finish();
    entries_.clear();
    entries_.reserve(sourceTable_.sources.size() + 1);
    std::size_t p = 0;  // both by number
    for (const PollutionSourceLine& line : sourceTable_.sources) {
        PollutionSourceEntry& entry = entries_.emplace_back();
        entry.line = line;
        const int key = PollutionSourceKey(line.number).value_or(kNotANumber);
        while (p < parameters_.size() && KeyOf(parameters_[p]) < key) ++p;
        if (p == parameters_.size() || KeyOf(parameters_[p]) != key) {
            entry.typed.number = line.number;
            continue;
        }
        entry.typed = parameters_[p];
        entry.fault = faults[p];
        if (entry.fault.empty() && line.Used() && applied[p].simultaneous && *applied[p].simultaneous > line.posts) {
            entry.fault = "simultaneous: " + SimultaneousAbovePosts(entry.typed.simultaneous, line.posts);
        }
    }
    if (sourceTable_.unassigned.posts > 0) entries_.push_back({{}, sourceTable_.unassigned, {}});
}

std::vector<std::string> Inventory::SourceCellTexts(std::size_t row) const {
    const PollutionSourceEntry& entry = entries_.at(row);
    const PollutionSourceLine& line = entry.line;
    std::vector<std::string> texts{line.assigned ? line.number : std::string(),
                                   line.assigned ? entry.typed.name : line.name, entry.typed.simultaneous};
    texts.insert(texts.end(), entry.typed.cleaning.begin(), entry.typed.cleaning.end());
    texts.push_back(NumberText(static_cast<std::int64_t>(line.posts)));
    texts.push_back(entry.Status());
    const bool summed = Summed(entry);
    for (std::size_t i = 0; i < kSubstanceCount; ++i) {
        texts.push_back(summed ? NumberText(line.g[i], separator_) : std::string());
        texts.push_back(summed ? NumberText(line.m[i], separator_) : std::string());
    }
    return texts;
}

std::vector<std::string> Inventory::SourceTotalsTexts() const {
    std::string faulty;
    for (const PollutionSourceEntry& entry : entries_) {
        if (!entry.fault.empty()) faulty += (faulty.empty() ? "" : ", ") + entry.line.number;
    }
    std::vector<std::string> texts{std::string(kTotalsLabel)};
    std::size_t substance = 0;
    for (const InventoryColumn& column : PollutionSourceViewColumns()) {
        if (column.kind == ColumnKind::M) {
            const double total = sourceTable_.mTotal[substance++];
            texts.push_back(faulty.empty() ? NumberText(total, separator_) : std::string());
        } else if (column.kind == ColumnKind::Status && !faulty.empty()) {
            texts.push_back("не подсчитано: ошибки в параметрах ИЗА " + faulty);
        } else {
            texts.emplace_back();
        }
    }
    return texts;
}

std::string Inventory::SourcesFault() const {
    for (const PollutionSourceEntry& entry : entries_) {
        if (!entry.fault.empty()) return "ИЗА «" + entry.line.number + "»: " + entry.fault;
    }
    return {};
}

PollutionSourceParameters& Inventory::KeptParameters(const std::string& number) {
    PollutionSourceParameters typed;
    typed.number = number;
    const auto at = std::lower_bound(parameters_.begin(), parameters_.end(), KeyOf(typed),
                                     [](const PollutionSourceParameters& p, int key) { return KeyOf(p) < key; });
    if (at != parameters_.end() && KeyOf(*at) == KeyOf(typed)) return *at;
    return *parameters_.insert(at, std::move(typed));
}

void Inventory::EditSources(const std::string& label, CellBlock block, const SourceText& text) {
    block = Clamp(block, entries_.size(), PollutionSourceViewColumns().size());
    if (block.rows == 0 || block.columns == 0) return;
    Change change = Before(label, 0, 0);
    change.parameters = parameters_;
    for (std::size_t r = block.row; r < block.row + block.rows; ++r) {
        if (!entries_[r].line.assigned) continue;
        PollutionSourceParameters& typed = KeptParameters(entries_[r].line.number);
        for (std::size_t c = block.column; c < block.column + block.columns; ++c) {
            std::string* field = ParameterField(typed, c);
            std::optional<std::string> value = field ? text(r, c) : std::nullopt;
            if (value) *field = std::move(*value);
        }
    }
    std::erase_if(parameters_, NoParameters);
    // Cells that hold no parameter (computed ones, the posts of none) take no text: no step.
    if (SameTexts(parameters_, *change.parameters)) return;
    Done(std::move(change), 0);
}

void Inventory::SetSource(std::size_t row, std::size_t column, std::string text) {
    EditSources("ввод параметра ИЗА", {row, column, 1, 1}, [&](std::size_t, std::size_t) { return text; });
}

CellBlock Inventory::PasteSources(std::size_t row, std::size_t column, std::string_view text) {
    return PasteSourceRecords(row, column, ClipboardRecords(text));
}

CellBlock Inventory::PasteSourceRecords(std::size_t row, std::size_t column, const std::vector<CsvRecord>& records) {
    std::size_t width = 0;
    for (const CsvRecord& record : records) width = std::max(width, record.fields.size());
    CellBlock block = Clamp({row, column, records.size(), width}, entries_.size(), PollutionSourceViewColumns().size());
    block.sources = true;
    EditSources("вставка " + RowsOf(block.rows) + " в таблицу ИЗА", block,
                [&](std::size_t r, std::size_t c) -> std::optional<std::string> {
                    const std::vector<std::string>& fields = records[r - row].fields;
                    if (c - column >= fields.size()) return std::nullopt;
                    return fields[c - column];
                });
    return block;
}

void Inventory::EraseSources(const CellBlock& block) {
    EditSources("очистка " + CellsOf(block.rows * block.columns) + " ИЗА", block,
                [](std::size_t, std::size_t) { return std::string(); });
}

void Inventory::FillSources(const CellBlock& block, const std::string& text) {
    EditSources("заполнение " + CellsOf(block.rows * block.columns) + " ИЗА", block,
                [&](std::size_t, std::size_t) { return text; });
}

void Inventory::FillSourcesDown(CellBlock block) {
    if (block.rows == 1 && block.row > 0) {
        --block.row;
        block.rows = 2;
    }
    block = Clamp(block, entries_.size(), PollutionSourceViewColumns().size());
    if (block.rows < 2) return;
    PollutionSourceParameters top = entries_[block.row].typed;
    EditSources("заполнение " + CellsOf((block.rows - 1) * block.columns) + " ИЗА",
                {block.row + 1, block.column, block.rows - 1, block.columns},
                [&](std::size_t, std::size_t c) -> std::optional<std::string> {
                    const std::string* field = ParameterField(top, c);
                    return field ? std::optional<std::string>(*field) : std::nullopt;
                });
}

CellBlock Inventory::PasteSourcesInto(const CellBlock& block, std::string_view text) {
    const std::vector<CsvRecord> records = ClipboardRecords(text);
    if (const std::optional<std::string> value = FillingValue(records, block)) {
        FillSources(block, *value);
        CellBlock filled = Clamp(block, entries_.size(), PollutionSourceViewColumns().size());
        filled.sources = true;
        return filled;
    }
    return PasteSourceRecords(block.row, block.column, records);
}

std::string Inventory::SourceBlockText(const CellBlock& block) const {
    const CellBlock cells = Clamp(block, entries_.size(), PollutionSourceViewColumns().size());
    return BlockTextOf(cells, [&](std::size_t r) {
        std::vector<std::string> texts = SourceCellTexts(r);
        texts.erase(texts.begin());  // the number heads the row
        return texts;
    });
}

void Inventory::DeleteSources(std::size_t first, std::size_t count) {
    first = std::min(first, entries_.size());
    count = std::min(count, entries_.size() - first);
    Change change = Before("удаление " + RowsOf(count) + " ИЗА", 0, 0);
    change.parameters = parameters_;
    for (std::size_t r = first; r < first + count; ++r) {
        const int key = PollutionSourceKey(entries_[r].line.number).value_or(kNotANumber);
        std::erase_if(parameters_, [&](const PollutionSourceParameters& p) { return KeyOf(p) == key; });
    }
    if (parameters_.size() == change.parameters->size()) return;
    Done(std::move(change), 0);
}

void Inventory::SetParameters(std::vector<PollutionSourceParameters> parameters, const std::string& label) {
    Change change = Before(label, 0, 0);
    change.parameters = std::move(parameters_);
    parameters_.clear();
    TakeParameters(std::move(parameters));
    Done(std::move(change), 0);
}

// Those kept stay first: a number given twice keeps its first line.
void Inventory::TakeParameters(std::vector<PollutionSourceParameters> parameters) {
    parameters.insert(parameters.begin(), std::make_move_iterator(parameters_.begin()),
                      std::make_move_iterator(parameters_.end()));
    std::erase_if(parameters, [](const PollutionSourceParameters& p) { return KeyOf(p) == kNotANumber; });
    std::stable_sort(parameters.begin(), parameters.end(),
                     [](const auto& a, const auto& b) { return KeyOf(a) < KeyOf(b); });
    const auto twice = std::unique(parameters.begin(), parameters.end(),
                                   [](const auto& a, const auto& b) { return KeyOf(a) == KeyOf(b); });
    parameters.erase(twice, parameters.end());
    parameters_ = std::move(parameters);
}

void Inventory::LoadParameters(std::string_view bytes, std::string_view name) {
    std::istringstream in{std::string(bytes)};
    SetParameters(ReadPollutionSourceTexts(in, name), "открытие файла «" + std::string(name) + "»");
}

std::string Inventory::PollutionSourcesCsv() const {
    if (const std::string fault = SourcesFault(); !fault.empty()) throw StationsError(fault);
    return korvel::PollutionSourcesCsv(sourceTable_, separator_);
}

std::string Inventory::ParametersCsv() const { return PollutionSourceParametersCsv(parameters_, separator_); }

PrintedTable Inventory::PrintedSources(std::string_view name) const {
    if (!sourceTable_.Wanted()) return {};
    PrintedTable printed{"Источники загрязнения атмосферы предприятия «" + std::string(name) + "»",
                         PollutionSourceRules(), {}};
    if (const std::string fault = SourcesFault(); !fault.empty()) {
        printed.notes.push_back("Таблица не составлена: " + fault);
        return printed;
    }
    printed.rows.push_back(PollutionSourcePrintCaptions());
    for (const PollutionSourceRow& row : PollutionSourceRows(sourceTable_)) {
        std::vector<std::string>& texts = printed.rows.emplace_back();
        for (const PollutionSourceCell& cell : row.cells) texts.push_back(PollutionSourceCellText(cell, separator_));
    }
    return printed;
}

}  // namespace korvel
