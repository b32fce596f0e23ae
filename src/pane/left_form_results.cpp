// The search pane's result list: list pages of 100 rows, the paging row
// ("<", ">", the page box and the total), the Enter key, and the hit page
// of the chosen row, written alternately to two files.
#include "engine/report.h"
#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "pane/model/results.h"
#include "pane/page_file.h"
#include "pane/sort_list_ctrl.h"
#include "pane/tool_tip_resource_button.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>

#include <exception>
#include <string>

namespace vesk {
namespace {

constexpr int kPageIdRole = Qt::UserRole;

// The usual leading-decimal-digits rule: "12a" is 12, "" and "x" are 0.
long long LeadingNumber(const QString& text)
{
    return CSortListCtrl::LeadingNumber(text.trimmed());
}

} // namespace

void CLeftForm::LayoutResultArea()
{
    if (m_nResultPages <= 0)
        for (QWidget* control : {static_cast<QWidget*>(m_prevPage), static_cast<QWidget*>(m_nextPage),
                                 static_cast<QWidget*>(m_pageBox), static_cast<QWidget*>(m_pageTotal)})
            control->hide();
    RunLayout();
}

void CLeftForm::ShowResultListPage()
{
    if (m_nCurResultPage < 1 || m_nCurResultPage > m_nResultPages)
        return;
    m_listResults->clear();
    UpdatePagingControls();
    const std::size_t first = static_cast<std::size_t>(m_nCurResultPage - 1) * kResultsPerListPage;
    for (std::size_t i = first; i < m_vecResults.size() && i < first + kResultsPerListPage; ++i) {
        const SearchNodeTag& result = m_vecResults[i];
        auto* row = new QTreeWidgetItem(QStringList{QString::fromStdU16String(result.strCategory),
                                                    QString::fromStdU16String(result.strTitle),
                                                    QString::fromStdU16String(result.strVolume),
                                                    QString::number(result.nPageNo)});
        row->setData(0, kPageIdRole, result.nPageID);
        m_listResults->addTopLevelItem(row);
    }
}

void CLeftForm::UpdatePagingControls()
{
    m_prevPage->setEnabled(true);
    m_nextPage->setEnabled(true);
    m_pageBox->setEnabled(true);
    m_pageBox->setText(QString::number(m_nCurResultPage));
    m_pageBox->setReadOnly(false);
    m_pageBox->selectAll();
    m_pageTotal->setText(QStringLiteral("/%1").arg(m_nResultPages));
    if (m_nResultPages == 1) {
        m_prevPage->setEnabled(false);
        m_nextPage->setEnabled(false);
        m_pageBox->setReadOnly(true);
    }
    if (m_nCurResultPage == 1)
        m_prevPage->setEnabled(false);
    if (m_nCurResultPage == m_nResultPages)
        m_nextPage->setEnabled(false);
}

void CLeftForm::GoToTypedResultPage()
{
    const long long typed = LeadingNumber(m_pageBox->text());
    if (typed < 1 || typed > m_nResultPages) {
        m_pageBox->setText(QString::number(m_nCurResultPage));
        m_pageBox->selectAll();
        return;
    }
    if (typed != m_nCurResultPage) {
        m_nCurResultPage = static_cast<int>(typed);
        ShowResultListPage();
    }
}

void CLeftForm::OnPrevResultPage()
{
    if (m_nCurResultPage > 1) {
        --m_nCurResultPage;
        ShowResultListPage();
    }
}

void CLeftForm::OnNextResultPage()
{
    if (m_nCurResultPage < m_nResultPages) {
        ++m_nCurResultPage;
        ShowResultListPage();
    }
}

void CLeftForm::ShowSelectedHit()
{
    const QList<QTreeWidgetItem*> selected = m_listResults->selectedItems();
    if (selected.isEmpty())
        return;
    ShowHitPage(selected.first()->data(0, kPageIdRole).toUInt(), 0);
}

bool CLeftForm::ShowHitPage(std::uint32_t pageId, int anchor)
{
    const QString& target = m_bHitFileToggle ? m_strHitFile1 : m_strHitFile2;
    // A failure to render or write leaves the view on the page it showed.
    try {
        std::string page;
        const std::int32_t anchors = m_index.RenderHitPage(pageId, page, m_strKeyword, m_nIndexType, m_bVariant);
        if (!WritePageFile(target, page))
            return false;
        m_nHitCount = anchors;
        m_nCurHit = anchor;
        m_nHitPageId = pageId;
        emit pageRequested(target + QStringLiteral("#%1").arg(anchor, 4, 10, QLatin1Char('0')));
        m_bHitFileToggle = !m_bHitFileToggle;
        m_strHitFile = target;
        m_shownPageId = pageId;
        return true;
    } catch (const std::exception& error) {
        ReportDiagnostic(std::string("hit page of page ") + std::to_string(pageId) + " not shown: " + error.what());
        return false;
    }
}

void CLeftForm::SearchInScope(int record)
{
    QTreeWidgetItem* item = m_treeContents->ItemOfRecord(record);
    if (!item)
        return;
    m_treeContents->setCurrentItem(item);
    if (m_nScopeRecord != record)
        OnSelChangedContents(); // the item was chosen already: no selection change came

    QString keyword = QString::fromStdU16String(m_strKeyword);
    keyword.replace(QChar(0x3000), QLatin1Char(' '));
    m_htmlKeyword->setText(keyword);
    OnSearch();
}

void CLeftForm::PreTranslateMessage(const QKeyEvent& key)
{
    if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
        return;
    if (m_nResultPages > 1)
        GoToTypedResultPage();
    else
        OnSearch();
}

void CLeftForm::WatchKeys()
{
    // Key presses reach a focused control first and only then, when it lets
    // them go, its parents; watching each control (never a control and its
    // parent both) sees every press once.
    for (const auto& [id, control] : m_controls)
        if (id != ctl::Tabs)
            control->installEventFilter(this);
    m_tabPane->tabBar()->installEventFilter(this);
}

bool CLeftForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        PreTranslateMessage(*static_cast<QKeyEvent*>(event));
    } else if (event->type() == QEvent::FocusOut && watched == m_pageBox) {
        // The box handles its focus loss first (dropping its selection), so
        // the number put back afterwards stays selected.
        watched->event(event);
        GoToTypedResultPage();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace vesk
