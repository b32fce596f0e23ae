// The search command of the search pane and the target radios that switch
// the open index.
#include "pane/left_form.h"
#include "engine/keyword_diagnosis.h"
#include "pane/keyword_box.h"
#include "pane/keyword_refusal_text.h"
#include "pane/model/results.h"
#include "pane/sort_list_ctrl.h"
#include "query/keyword_query.h"
#include "ui/message_box.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>

#include <optional>

namespace vesk {
namespace {

const QString kMessageNoScope = QStringLiteral("検索範囲をまた指定していません。");
const QString kMessageNoKeyword = QStringLiteral("何かキーワードを入力して検索をして下さい。");

// Why a keyword finds nothing, for the status bar; empty when it may find
// pages. The summary and the empty list stay as they are.
QString KeywordFaultText(std::u16string_view keyword, bool intersect)
{
    static const QString kWildcardsAlone =
        QStringLiteral("「*」「?」や句読点・記号だけの語では検索できません。");
    const KeywordDiagnosis diagnosis = DiagnoseKeyword(keyword, intersect);
    switch (diagnosis.fault) {
    case KeywordFault::None:
        return {};
    case KeywordFault::RejectedCharacter:
        return QStringLiteral("検索しませんでした：「%1」（U+%2）はキーワードに使えない文字です。"
                              "半角の英数字・記号は「*」「?」のほかは使えません。")
            .arg(QString::fromUcs4(&diagnosis.character, 1),
                 QString::number(static_cast<uint>(diagnosis.character), 16).toUpper().rightJustified(4, u'0'));
    case KeywordFault::NoTerm:
        return QStringLiteral("検索しませんでした：キーワードが空白だけです。");
    case KeywordFault::NothingSearchable:
        if (!intersect)
            return QStringLiteral("どの語にも検索できる文字がないため、何も見つかりません。") + kWildcardsAlone;
        return QStringLiteral("語「%1」に検索できる文字がないため、何も見つかりません。")
                   .arg(QString::fromStdU16String(std::u16string(diagnosis.term))) +
               kWildcardsAlone;
    }
    return {};
}

// The status line of a keyword query: why it was refused (a code-point form,
// a lone "-", excluded terms only, a character of an excluded term), else
// why its terms to find can find nothing, else empty.
QString StatusText(const KeywordQuery& query, bool intersect)
{
    if (query.refusal && (!query.exclude.empty() || query.refusal->kind == KeywordRefusalKind::CodePointForm ||
                          query.refusal->kind == KeywordRefusalKind::EmptyExclusion))
        return RefusalText(*query.refusal);
    return KeywordFaultText(query.find, intersect);
}

// Ideographic spaces typed between terms count as ordinary spaces.
std::u16string KeywordFromText(const QString& text)
{
    std::u16string keyword = text.toStdU16String();
    for (char16_t& unit : keyword)
        if (unit == u'\u3000')
            unit = u' ';
    return keyword;
}

// The busy cursor while the engine runs: a keyword of many thousands of
// different terms takes seconds.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

void CLeftForm::OnSearch()
{
    m_nCurHit = 0;
    UpdateData(true);
    const std::u16string previousKeyword = m_strKeyword;
    m_strKeyword = KeywordFromText(m_hiddenKeyword->text());
    const std::optional<QString> typed = m_htmlKeyword->GetKeyword();
    if (!typed)
        return;  // the box has no value to give: nothing happens
    m_strKeyword = KeywordFromText(*typed);
    const QString typedKeyword = *typed;

    if (m_nScopeRecord == 0) {
        ShowMessageBox(this, kMessageNoScope);
    } else if (m_strKeyword.empty()) {
        m_strKeyword = previousKeyword;
        ShowMessageBox(this, kMessageNoKeyword);
        return;
    } else {
        // A keyword that is refused (Latin letters, digits, a bad code-point
        // form, excluded terms only) finds nothing here: the engine would
        // keep the previous search's pages, which must not be listed under
        // the new keyword. A closed index finds nothing by itself.
        const KeywordQuery query = PrepareKeywordQuery(m_strKeyword);
        const bool accepted = !query.refusal;
        m_strExcluded.clear();
        if (accepted) {
            const BusyCursor busy;
            // Without forms or excluded terms this is SearchAnd / SearchOr
            // on the keyword as typed; the engine's form of it is kept.
            m_strKeyword = RunKeywordQuery(m_index, query,
                                           {.useOr = m_nAndOr != 0, .useVariants = m_bVariant, .copyResults = false})
                               .keyword;
            m_strExcluded = query.exclude;
        }
        m_listResults->clear();
        // Without contents the scope record matches no node and nothing is kept.
        const ContentsNodeTag* scope =
            m_nScopeRecord < m_contents.m_nRecordCount
                ? FindRecordNode(m_contents.m_pRootNode.get(), m_contents.Record(m_nScopeRecord))
                : nullptr;
        if (accepted) {
            m_arrHitPages = m_index.m_arrPages;
            m_arrHitCounts = m_index.m_arrCounts;
        } else {
            m_arrHitPages.clear();
            m_arrHitCounts.clear();
        }
        const std::int32_t places = BuildResults(scope);
        const auto records = static_cast<std::int32_t>(m_vecResults.size());
        m_nResultPages = ResultPageCount(records);
        m_summary->setText(QString());
        m_summary->setText(QString::fromStdString(FormatSummary(records, places)));
        emit statusMessage(StatusText(query, m_nAndOr == 0));
        if (m_nResultPages > 0) {
            m_nCurResultPage = 1;
            LayoutResultArea();
            ShowResultListPage();
        } else {
            m_nCurResultPage = 0;
            LayoutResultArea();
        }
        if (accepted)
            emit keywordSearched(typedKeyword);
    }
    UpdateData(false);
    m_hiddenKeyword->clear();
}

std::int32_t CLeftForm::BuildResults(const ContentsNodeTag* scope)
{
    const std::int32_t places = vesk::BuildResults(scope, m_arrHitPages, m_arrHitCounts, m_vecResults);
    m_arrHitPages.clear();
    m_arrHitCounts.clear();
    return places;
}

void CLeftForm::OnTarget(int target)
{
    // The radios count whole text, main text, annotations; the index files
    // are numbered whole text, annotations, main text.
    static constexpr int kIndexTypeOfTarget[] = {kIndexWhole, kIndexMain, kIndexAnnotations};
    if (target < 0 || target > 2)
        return;
    m_index.Close();
    // A failure is reported by the index itself ("データを開けませんでした。").
    m_index.Open(m_dataFolder, "Index", kIndexTypeOfTarget[target]);
    m_nIndexType = target;
}

} // namespace vesk
