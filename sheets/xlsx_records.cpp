// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/xlsx_records.h"

#include <expat.h>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "sheets/zip_archive.h"

namespace korvel {

namespace {

constexpr std::string_view kRelationshipNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

class WorkbookError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An element as expat gives it with namespaces on: "uri|local", or "local".
std::string_view LocalName(std::string_view name) {
    const std::size_t bar = name.rfind('|');
    return bar == std::string_view::npos ? name : name.substr(bar + 1);
}

using Attributes = std::map<std::string, std::string, std::less<>>;

// One XML part walked through: element starts with their attributes, text,
// element ends. Elements by local name; attributes "uri|local" when they
// have a namespace.
struct XmlHandlers {
    std::function<void(std::string_view, const Attributes&)> start;
    std::function<void(std::string_view)> text;
    std::function<void(std::string_view)> end;
};

void ParseXml(const std::string& xml, std::string_view part, XmlHandlers& handlers) {
    const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreateNS("UTF-8", '|'),
                                                                         XML_ParserFree);
    if (!parser) throw WorkbookError("нет памяти");
    XML_SetUserData(parser.get(), &handlers);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto& h = *static_cast<XmlHandlers*>(data);
            if (!h.start) return;
            Attributes map;
            for (const XML_Char** a = attributes; *a; a += 2) map.emplace(a[0], a[1]);
            h.start(LocalName(name), map);
        },
        [](void* data, const XML_Char* name) {
            auto& h = *static_cast<XmlHandlers*>(data);
            if (h.end) h.end(LocalName(name));
        });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int length) {
        auto& h = *static_cast<XmlHandlers*>(data);
        if (h.text) h.text(std::string_view(text, static_cast<std::size_t>(length)));
    });
    if (XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), XML_TRUE) != XML_STATUS_OK) {
        throw WorkbookError("часть «" + std::string(part) + "» повреждена: " +
                            XML_ErrorString(XML_GetErrorCode(parser.get())) + ", строка " +
                            std::to_string(XML_GetCurrentLineNumber(parser.get())));
    }
}

std::string Attribute(const Attributes& attributes, std::string_view name) {
    const auto found = attributes.find(name);
    return found == attributes.end() ? std::string() : found->second;
}

// The targets of a part's relationships, by id, and by the end of their type.
struct Relationships {
    std::map<std::string, std::string, std::less<>> byId;
    std::vector<std::pair<std::string, std::string>> byType;

    std::string OfType(std::string_view typeEnd) const {
        for (const auto& [type, target] : byType) {
            if (type.size() >= typeEnd.size() && type.compare(type.size() - typeEnd.size(), typeEnd.size(), typeEnd) == 0) {
                return target;
            }
        }
        return {};
    }
};

// "xl/workbook.xml" → "xl/".
std::string FolderOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

// A target relative to the folder of the part that names it, or absolute.
std::string Resolve(const std::string& folder, std::string_view target) {
    if (!target.empty() && target.front() == '/') return std::string(target.substr(1));
    std::string path = folder + std::string(target);
    // "xl/worksheets/../x" → "xl/x"
    for (std::size_t up = path.find("/../"); up != std::string::npos; up = path.find("/../")) {
        const std::size_t before = path.rfind('/', up == 0 ? 0 : up - 1);
        path.erase(before == std::string::npos ? 0 : before + 1, up + 4 - (before == std::string::npos ? 0 : before + 1));
    }
    return path;
}

class Workbook {
public:
    explicit Workbook(std::string_view bytes) : zip_(bytes) {}

    std::string Part(std::string_view name) {
        std::optional<std::string> bytes = zip_.Read(name);
        if (!bytes) throw WorkbookError("в книге нет части «" + std::string(name) + "»");
        return std::move(*bytes);
    }

    Relationships RelationshipsOf(std::string_view part) {
        const std::string folder = FolderOf(part);
        const std::string relsName = folder + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
        Relationships rels;
        const std::optional<std::string> xml = zip_.Read(relsName);
        if (!xml) return rels;
        XmlHandlers handlers;
        handlers.start = [&](std::string_view name, const Attributes& a) {
            if (name != "Relationship") return;
            const std::string target = Attribute(a, "TargetMode") == "External" ? "" : Resolve(folder, Attribute(a, "Target"));
            rels.byId[Attribute(a, "Id")] = target;
            rels.byType.emplace_back(Attribute(a, "Type"), target);
        };
        ParseXml(*xml, relsName, handlers);
        return rels;
    }

private:
    ZipReader zip_;
};

std::vector<std::string> SharedStrings(Workbook& book, const std::string& part) {
    std::vector<std::string> strings;
    if (part.empty()) return strings;
    int phonetic = 0;  // inside <rPh>: reading aids, not the text
    bool inText = false;
    XmlHandlers handlers;
    handlers.start = [&](std::string_view name, const Attributes&) {
        if (name == "si") strings.emplace_back();
        if (name == "rPh") ++phonetic;
        if (name == "t") inText = phonetic == 0 && !strings.empty();
    };
    handlers.end = [&](std::string_view name) {
        if (name == "rPh") --phonetic;
        if (name == "t") inText = false;
    };
    handlers.text = [&](std::string_view text) {
        if (inText) strings.back().append(text);
    };
    ParseXml(book.Part(part), part, handlers);
    return strings;
}

// "BC12" → 55 (0-based column); -1 when the reference names no column.
long ColumnOf(std::string_view reference) {
    long column = 0;
    std::size_t i = 0;
    for (; i < reference.size() && reference[i] >= 'A' && reference[i] <= 'Z'; ++i) {
        column = column * 26 + (reference[i] - 'A' + 1);
        if (column > 16384) return -1;
    }
    return i == 0 ? -1 : column - 1;
}

struct SheetRow {
    std::size_t number = 0;
    std::vector<std::string> cells;
    std::vector<bool> numbers;
};

class SheetRecords : public RecordSource {
public:
    explicit SheetRecords(std::vector<SheetRow> rows) : rows_(std::move(rows)) {
        // The header is the first row that holds anything.
        while (next_ < rows_.size() && IsEmpty(rows_[next_])) ++next_;
    }

    bool Header(CsvRecord& header) override {
        if (next_ >= rows_.size()) return false;
        width_ = rows_[next_].cells.size();
        line_ = rows_[next_].number;
        Take(header);
        return true;
    }

    // Rows missing from the sheet are blank records, as empty lines in CSV.
    bool Next(CsvRecord& record) override {
        if (next_ >= rows_.size()) return false;
        ++line_;
        if (rows_[next_].number > line_) {
            record.line = line_;
            record.fields.assign(width_, std::string());
            current_.assign(width_, false);
            return true;
        }
        Take(record);
        return true;
    }

    bool NumberCell(std::size_t i) const override { return i < current_.size() && current_[i]; }

private:
    static bool IsEmpty(const SheetRow& row) {
        for (const std::string& cell : row.cells) {
            if (!cell.empty()) return false;
        }
        return true;
    }

    // Cells past the header's last are in no named column: dropped.
    void Take(CsvRecord& record) {
        SheetRow& row = rows_[next_++];
        record.line = row.number;
        row.cells.resize(width_);
        row.numbers.resize(width_);
        record.fields = std::move(row.cells);
        current_ = std::move(row.numbers);
    }

    std::vector<SheetRow> rows_;
    std::size_t next_ = 0;
    std::size_t width_ = 0;
    std::size_t line_ = 0;
    std::vector<bool> current_;
};

// A cell's text by its type (a shared string, an inline string or a value as
// written), and whether it is a number.
std::pair<std::string, bool> CellText(const std::string& type, std::string& value, std::string& inlineText,
                                      const std::vector<std::string>& strings) {
    if (type == "s") {
        std::size_t index = strings.size();
        try {
            index = std::stoul(value);
        } catch (const std::exception&) {
        }
        if (index >= strings.size()) throw WorkbookError("ссылка на несуществующую строку «" + value + "»");
        return {strings[index], false};
    }
    if (type == "inlineStr") return {std::move(inlineText), false};
    return {std::move(value), type.empty() || type == "n"};
}

void SetCell(SheetRow& row, std::size_t column, std::pair<std::string, bool> cell) {
    if (column >= row.cells.size()) {
        row.cells.resize(column + 1);
        row.numbers.resize(column + 1);
    }
    row.numbers[column] = cell.second && !cell.first.empty();
    row.cells[column] = std::move(cell.first);
}

std::vector<SheetRow> SheetRows(Workbook& book, const std::string& part, const std::vector<std::string>& strings) {
    std::vector<SheetRow> rows;
    std::string type, value, inline_;
    long column = -1;
    bool inValue = false, inInline = false;
    int phonetic = 0;
    XmlHandlers handlers;
    handlers.start = [&](std::string_view name, const Attributes& a) {
        if (name == "row") {
            const std::string r = Attribute(a, "r");
            const std::size_t number = r.empty() ? (rows.empty() ? 1 : rows.back().number + 1) : std::stoul(r);
            if (number == 0 || number > (1u << 20) || (!rows.empty() && number <= rows.back().number)) {
                throw WorkbookError("строки листа не по порядку (строка " + r + ")");
            }
            rows.push_back({number, {}, {}});
            column = -1;
        } else if (name == "c") {
            if (rows.empty()) throw WorkbookError("ячейка вне строки");
            const std::string r = Attribute(a, "r");
            column = r.empty() ? column + 1 : ColumnOf(r);
            if (column < 0) throw WorkbookError("неверная ссылка на ячейку «" + r + "»");
            type = Attribute(a, "t");
            value.clear();
            inline_.clear();
        } else if (name == "v") {
            inValue = true;
        } else if (name == "is") {
            inInline = true;
        } else if (name == "rPh") {
            ++phonetic;
        }
    };
    handlers.text = [&](std::string_view text) {
        if (inValue) value.append(text);
        if (inInline && phonetic == 0) inline_.append(text);
    };
    handlers.end = [&](std::string_view name) {
        if (name == "v") inValue = false;
        if (name == "is") inInline = false;
        if (name == "rPh") --phonetic;
        if (name == "c") SetCell(rows.back(), static_cast<std::size_t>(column), CellText(type, value, inline_, strings));
    };
    ParseXml(book.Part(part), part, handlers);
    return rows;
}

StationsError Unreadable(std::string_view name, std::string_view why) {
    return StationsError(std::string(name) + ": не читается как книга XLSX: " + std::string(why));
}

}  // namespace

std::optional<WorkbookSheet> ReadWorkbookSheet(std::string_view bytes, std::string_view name, std::size_t position) {
    try {
        Workbook book(bytes);
        std::string workbook = book.RelationshipsOf("").OfType("/officeDocument");
        if (workbook.empty()) workbook = "xl/workbook.xml";
        std::vector<std::pair<std::string, std::string>> sheets;  // name and relationship, in order
        XmlHandlers handlers;
        handlers.start = [&](std::string_view element, const Attributes& a) {
            if (element != "sheet") return;
            sheets.emplace_back(Attribute(a, "name"), Attribute(a, std::string(kRelationshipNs) + "|id"));
        };
        ParseXml(book.Part(workbook), workbook, handlers);
        if (position >= sheets.size()) return std::nullopt;
        const Relationships rels = book.RelationshipsOf(workbook);
        const auto sheet = rels.byId.find(sheets[position].second);
        if (sheet == rels.byId.end() || sheet->second.empty()) throw WorkbookError("в книге нет листа");
        const std::vector<std::string> strings = SharedStrings(book, rels.OfType("/sharedStrings"));
        return WorkbookSheet{sheets[position].first,
                             std::make_unique<SheetRecords>(SheetRows(book, sheet->second, strings))};
    } catch (const ZipError& error) {
        throw Unreadable(name, error.what());
    } catch (const WorkbookError& error) {
        throw Unreadable(name, error.what());
    } catch (const std::logic_error&) {  // a row number that is no number
        throw Unreadable(name, "неверный номер строки");
    }
}

std::unique_ptr<RecordSource> XlsxRecords(std::string_view bytes, std::string_view name) {
    std::optional<WorkbookSheet> first = ReadWorkbookSheet(bytes, name, 0);
    if (!first) throw Unreadable(name, "в книге нет листа");
    return std::move(first->records);
}

namespace {

// The second sheet and its header, when it is a table of parameters.
std::optional<std::pair<WorkbookSheet, CsvRecord>> ParametersSheet(std::string_view bytes, std::string_view name) {
    std::optional<WorkbookSheet> second = ReadWorkbookSheet(bytes, name, 1);
    CsvRecord header;
    if (!second || !second->records->Header(header) || !IsPollutionSourceHeader(header)) return std::nullopt;
    return std::pair{std::move(*second), std::move(header)};
}

}  // namespace

bool HasParametersSheet(std::string_view bytes, std::string_view name) {
    return ParametersSheet(bytes, name).has_value();
}

std::optional<WorkbookParameters> ReadWorkbookParameters(std::string_view bytes, std::string_view name, bool strict,
                                                         char separator) {
    std::optional<std::pair<WorkbookSheet, CsvRecord>> sheet = ParametersSheet(bytes, name);
    if (!sheet) return std::nullopt;
    WorkbookParameters read{std::string(name) + ", лист «" + sheet->first.name + "»", {}};
    read.lines = ReadPollutionSourceRecords(*sheet->first.records, sheet->second, read.name, strict, separator);
    return read;
}

}  // namespace korvel
