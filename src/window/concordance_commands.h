#pragma once
// The commands that take a search's findings further, in the "一覧" menu:
// "用例一覧…" opens the concordance window for the last search (one window,
// started again each time), "検索結果の書き出し…" writes every result record
// to a CSV or TSV file; and the text view's "出典付きでコピー" learns which
// page it shows. They connect the window and the view to the search pane.
#include "concordance/table_text.h"
#include "engine/search_result.h"

#include <QString>

#include <filesystem>
#include <vector>

class QWidget;

namespace vesk {

class CLeftForm;
class CMainFrame;

struct ConcordanceRequest;

// The concordance of the pane's last search: its keyword and options, its
// result records in list order.
ConcordanceRequest ConcordanceRequestFromPane(const CLeftForm& form, const std::filesystem::path& dataFolder);

// The reference line of the page the pane last showed; empty before any.
QString ShownPageReference(const CLeftForm& form);

// Writes the pane's result records (all of them, in list order) to path.
bool ExportResultRecords(QWidget* parent, const std::vector<SearchNodeTag>& records, const QString& path,
                         TableForm form);

void InstallConcordanceCommands(CMainFrame& frame);

} // namespace vesk
