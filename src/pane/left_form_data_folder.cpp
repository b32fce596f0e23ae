// The search pane moves to another data folder: everything that came from
// the old one (tree, results, scope, reading position, the page shown) is
// dropped and the new folder's index and contents are loaded in place; the
// scope is then the new first record, as at start.
#include "pane/contents_tree.h"
#include "pane/left_form.h"
#include "pane/sort_list_ctrl.h"
#include "ui/app_strings.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

namespace vesk {
namespace {

const QString kSummaryStart = QStringLiteral("検索集計：");
const QString kScopePlaceholder = QStringLiteral("（目録で検索範囲を選んで下さい）");

// The index files of the radios' targets, as OnTarget opens them.
constexpr int kIndexTypeOfTarget[] = {kIndexWhole, kIndexMain, kIndexAnnotations};

} // namespace

bool CLeftForm::OpenDataFolder(const std::filesystem::path& folder)
{
    const int type = kIndexTypeOfTarget[m_nIndexType >= 0 && m_nIndexType <= 2 ? m_nIndexType : 0];
    {
        // Tried on its own first: a failure reports itself and changes nothing here.
        CIndex trial;
        if (!trial.Open(folder, "Index", type))
            return false;
    }
    m_index.Close();
    m_dataFolder = folder;
    m_index.Open(m_dataFolder, "Index", type);
    ClearFolderState();
    LoadContents();
    ShowInitialScope();
    return true;
}

void CLeftForm::ClearFolderState()
{
    m_strKeyword.clear();
    m_arrHitPages.clear();
    m_arrHitCounts.clear();
    m_vecResults.clear();
    m_nResultPages = m_nCurResultPage = 0;
    m_strHitFile.clear();
    m_nHitCount = m_nCurHit = 0;
    m_nScopeRecord = 1;
    m_strScopePath = kScopePlaceholder;
    m_nCurRecord = m_nCurPage = 0;
    {
        const QSignalBlocker quiet(m_listResults);
        m_listResults->clear();
    }
    m_summary->setText(kSummaryStart);
    m_scopeLabel->setText(m_strScopePath);
    if (m_pageSlider) {
        const QSignalBlocker quiet(m_pageSlider);
        m_pageSlider->setRange(0, 0);
        m_pageSlider->setValue(0);
    }
    if (m_pageIndicator)
        m_pageIndicator->clear();
    emit pageRequested(kBlankLocation);
    LayoutResultArea();
}

} // namespace vesk
