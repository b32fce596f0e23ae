#pragma once
// Writing a table to a file the user names: CSV (UTF-8 with a byte-order
// mark so spreadsheet programs read it, RFC 4180 quoting, lines ending in
// CR LF) or TSV (tabs and line breaks in fields become spaces). The file is
// written through QSaveFile: the chosen name holds the complete table or
// what it held before, never part of it. Rows are made and written on a
// thread of their own while a progress dialog offers to cancel.
#include "concordance/table_text.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace vesk {

struct ExportTable {
    std::vector<TableColumn> columns; // names point at string literals
    std::size_t rowCount = 0;
    // Row i's fields; called on the export thread, so it reads only what
    // nothing else changes meanwhile (a copy made for the export).
    std::function<std::vector<std::string>(std::size_t)> row;
};

// Asks for a file name (CSV or TSV chosen by the filter, or by a ".tsv" or
// ".txt" suffix); empty when the dialog was cancelled.
QString AskExportFile(QWidget* parent, const QString& suggestedName, TableForm& form);

// Writes the table; keepGoing is asked every few thousand rows with the rows
// done and can stop the export (nothing is written then). False with error
// set when the file could not be written or the export was stopped.
bool WriteTableFile(const QString& path, TableForm form, const ExportTable& table,
                    const std::function<bool(std::size_t done)>& keepGoing, QString& error);

// WriteTableFile on a thread with a progress dialog; a failure shows the
// message "「PATH」に書き出せませんでした。" with the reason. True when written.
bool ExportWithProgress(QWidget* parent, const QString& path, TableForm form, ExportTable table);

} // namespace vesk
