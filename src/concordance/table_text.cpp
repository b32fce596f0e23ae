#include "concordance/table_text.h"

#include <cstdio>
#include <vector>

namespace vesk {

std::string CsvField(std::string_view field)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(field);
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string TsvField(std::string_view field)
{
    std::string out(field);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return out;
}

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string FormatRow(TableForm form, std::span<const TableColumn> columns, std::span<const std::string> fields)
{
    std::string line;
    if (form == TableForm::Json) {
        line += '{';
        for (std::size_t i = 0; i < fields.size() && i < columns.size(); ++i) {
            if (i > 0)
                line += ", ";
            line += JsonString(columns[i].name);
            line += ": ";
            line += columns[i].numeric ? fields[i] : JsonString(fields[i]);
        }
        return line + "}\n";
    }
    const char separator = form == TableForm::Csv ? ',' : '\t';
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += separator;
        line += form == TableForm::Csv ? CsvField(fields[i]) : TsvField(fields[i]);
    }
    return line + (form == TableForm::Csv ? "\r\n" : "\n");
}

std::string FormatHeader(TableForm form, std::span<const TableColumn> columns)
{
    if (form != TableForm::Csv && form != TableForm::Tsv)
        return {};
    std::vector<std::string> names;
    for (const TableColumn& column : columns)
        names.emplace_back(column.name);
    return FormatRow(form, columns, names);
}

} // namespace vesk
