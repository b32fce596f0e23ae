#pragma once
// Rows of text for other programs: CSV as RFC 4180 has it (a field holding
// a comma, a quote, CR or LF is quoted, quotes doubled, lines end in CR LF),
// TSV (tabs, CR and LF inside a field become spaces, lines end in LF), JSON
// Lines (one object a line), and the plain tab-separated form of the
// command line.
#include <span>
#include <string>
#include <string_view>

namespace vesk {

enum class TableForm { Plain, Tsv, Csv, Json };

// The UTF-8 byte-order mark that spreadsheet programs look for in a CSV file.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string CsvField(std::string_view field);
std::string TsvField(std::string_view field);
std::string JsonString(std::string_view text);

struct TableColumn {
    std::string_view name; // header and JSON key
    bool numeric = false;  // JSON: written bare
};

// One line with its line end. Plain and TSV write fields as TsvField does.
std::string FormatRow(TableForm form, std::span<const TableColumn> columns, std::span<const std::string> fields);
// The header line: the column names (CSV, TSV); empty for Plain and JSON.
std::string FormatHeader(TableForm form, std::span<const TableColumn> columns);

} // namespace vesk
