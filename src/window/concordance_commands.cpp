#include "window/concordance_commands.h"

#include "concordance/citation.h"
#include "pane/left_form.h"
#include "window/command_ids.h"
#include "window/concordance_window.h"
#include "window/main_frame.h"
#include "window/table_export.h"
#include "window/vesk_view.h"

#include <QPointer>

#include <memory>

namespace vesk {
namespace {

std::string Utf8(const std::u16string& text)
{
    return QString::fromStdU16String(text).toStdString();
}

} // namespace

ConcordanceRequest ConcordanceRequestFromPane(const CLeftForm& form, const std::filesystem::path& dataFolder)
{
    ConcordanceRequest request;
    request.dataFolder = dataFolder;
    request.keyword = form.m_strKeyword;
    request.excluded = form.m_strExcluded;
    request.useOr = form.m_nAndOr != 0;
    request.target = form.m_nIndexType;
    request.useVariants = form.m_bVariant;
    request.records = form.m_vecResults;
    return request;
}

namespace {

void OpenConcordance(CMainFrame& frame, QPointer<CConcordanceWindow>& window)
{
    CLeftForm& form = *frame.LeftForm();
    if (!window) {
        window = new CConcordanceWindow(&frame);
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(window, &CConcordanceWindow::hitRequested, &form,
                         [&form](quint32 pageId, int anchor) { form.ShowHitPage(pageId, anchor); });
        QObject::connect(window, &CConcordanceWindow::scopeSearchRequested, &form,
                         [&form](int record) { form.SearchInScope(record); });
    }
    window->Start(ConcordanceRequestFromPane(form, frame.DataFolder()));
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

QString ShownPageReference(const CLeftForm& form)
{
    const std::optional<std::uint32_t> page = form.ShownPageId();
    if (!page)
        return {};
    return QString::fromStdString(ReferenceLine(RecordOfPage(form.m_contents, *page)));
}

bool ExportResultRecords(QWidget* parent, const std::vector<SearchNodeTag>& records, const QString& path,
                         TableForm form)
{
    auto rows = std::make_shared<const std::vector<SearchNodeTag>>(records);
    ExportTable table;
    table.columns = {{"類別"}, {"書名"}, {"巻"}, {"頁", true}, {"箇所", true}, {"頁ID", true}};
    table.rowCount = rows->size();
    table.row = [rows](std::size_t i) {
        const SearchNodeTag& r = (*rows)[i];
        return std::vector<std::string>{Utf8(r.strCategory), Utf8(r.strTitle), Utf8(r.strVolume),
                                        std::to_string(r.nPageNo), std::to_string(r.nCount),
                                        std::to_string(r.nPageID)};
    };
    return ExportWithProgress(parent, path, form, std::move(table));
}

void InstallConcordanceCommands(CMainFrame& frame)
{
    CLeftForm& form = *frame.LeftForm();
    auto window = std::make_shared<QPointer<CConcordanceWindow>>();
    frame.SetCommandHandler(cmd::Concordance, [&frame, window] { OpenConcordance(frame, *window); },
                            [&form] { return !form.m_strKeyword.empty(); });
    frame.SetCommandHandler(cmd::ExportResults, [&frame, &form] {
        TableForm tableForm = TableForm::Csv;
        const QString path = AskExportFile(&frame, QStringLiteral("検索結果.csv"), tableForm);
        if (!path.isEmpty())
            ExportResultRecords(&frame, form.m_vecResults, path, tableForm);
    }, [&form] { return !form.m_vecResults.empty(); });
    frame.TextView()->SetCitationSource([&form] { return ShownPageReference(form); });
}

} // namespace vesk
