// The search pane's contents: loading the tree, the search scope chosen in
// it, and the plain pages of the volume being read.
#include "engine/report.h"
#include "pane/contents_tree.h"
#include "pane/left_form.h"
#include "pane/page_file.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>
#include <string>
#include <system_error>

namespace vesk {

void CLeftForm::LoadContents()
{
    // The listing goes into the working directory; when that is unknown the
    // contents load without it.
    std::error_code error;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(error);
    const std::filesystem::path listing = workingDirectory / "kav.txt";
    // A missing contents file is reported by the model ("you delete data
    // file!"); the tree then stays empty.
    m_contents.LoadContents(m_dataFolder, error ? nullptr : &listing);

    QIcon icon;
    if (m_imageTree.size() >= 2) {
        icon.addPixmap(m_imageTree[0].pixmap(20, 20), QIcon::Normal);
        icon.addPixmap(m_imageTree[1].pixmap(20, 20), QIcon::Selected);
    }
    const QSignalBlocker quiet(m_treeContents);
    m_treeContents->Fill(m_contents, icon);
}

void CLeftForm::ShowInitialScope()
{
    // Before the first choice a search runs over the first record: the label
    // names it, as choosing it would.
    if (const QTreeWidgetItem* first = m_treeContents->ItemOfRecord(m_nScopeRecord))
        m_strScopePath = CContentsTree::ItemPath(first);
    m_scopeLabel->setText(m_strScopePath);
}

void CLeftForm::OnSelChangedContents()
{
    QTreeWidgetItem* selected = m_treeContents->SelectedItem();
    if (!selected)
        return;
    const int record = CContentsTree::RecordOfItem(selected);
    m_nScopeRecord = static_cast<std::uint16_t>(record);
    m_strScopePath = CContentsTree::ItemPath(selected);
    if (QWidget* label = Control(ctl::ScopeLabel))
        static_cast<QLabel*>(label)->setText(m_strScopePath);

    if (selected->childCount() > 0 || record < 1 || record >= m_contents.m_nRecordCount)
        return;  // a category or a work: only the scope changes
    const ContentsRecordTag& volume = m_contents.Record(static_cast<std::size_t>(record));
    m_nCurRecord = record;
    m_nCurPage = volume.curFileName;
    ShowDocumentPage(m_nCurRecord, 1, 1);
    if (m_pageSlider) {
        // Set from here, not moved by the user: no page is shown for it.
        const QSignalBlocker quiet(m_pageSlider);
        const int first = volume.curFileName;
        m_pageSlider->setRange(first, first + std::max(volume.docNo, 1) - 1);
        m_pageSlider->setValue(first);
    }
    UpdatePageIndicator();
}

bool CLeftForm::ShowDocumentPage(int record, int useFirstPage, int page)
{
    if (record < 1 || record >= m_contents.m_nRecordCount)
        return false;
    const ContentsRecordTag& volume = m_contents.Record(static_cast<std::size_t>(record));
    if (useFirstPage == 1)
        page = volume.curFileName;
    // The page is read before the file is touched, so a page the volume does
    // not have leaves the shown page as it was.
    const std::int64_t first = std::int64_t{volume.docID} - 1;
    const std::int64_t last = first + volume.docNo - 1;
    std::int32_t pageId = -1;
    std::uint32_t length = 0;
    std::string bytes;
    const std::optional<std::int32_t> start = volume.FirstPageId();
    if (!start || !m_index.FindRecordByNumber(*start, page, pageId) || pageId < first || pageId > last ||
        !m_index.GetRecordLength(static_cast<std::uint32_t>(pageId), length) ||
        !m_index.ReadRecord(static_cast<std::uint32_t>(pageId), bytes)) {
        ReportDiagnostic("no page " + std::to_string(page) + " in the volume of record " +
                         std::to_string(record));
        return false;
    }
    if (!WritePageFile(m_strPageFile, bytes))
        return false;
    emit pageRequested(m_strPageFile);
    m_shownPageId = static_cast<std::uint32_t>(pageId);
    return true;
}

void CLeftForm::UpdatePageIndicator()
{
    if (m_pageIndicator)
        m_pageIndicator->setText(QStringLiteral("%1/%2").arg(m_index.GetHeaderValue()).arg(m_nCurPage));
}

} // namespace vesk
