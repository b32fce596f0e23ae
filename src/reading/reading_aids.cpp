#include "reading/reading_aids.h"

#include "pane/contents_tree.h"
#include "pane/keyword_box.h"
#include "pane/left_form.h"
#include "reading/bookmark_list_wnd.h"
#include "reading/char_info_label.h"
#include "reading/code_point_dlg.h"
#include "reading/keyword_history_popup.h"
#include "ui/message_box.h"
#include "window/vesk_view.h"

#include <QAction>
#include <QDateTime>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>

#include <algorithm>

namespace vesk {
namespace {

constexpr int kStatusMs = 10000;
constexpr int kSearchTab = 1;

// A small down-pointing triangle: the drop-down button of the keyword box.
QIcon DropDownIcon()
{
    QPixmap picture(12, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x55, 0x55, 0x55));
    painter.drawPolygon(QPolygonF({QPointF(2, 4), QPointF(10, 4), QPointF(6, 9)}));
    return QIcon(picture);
}

QMenu* MenuTitled(QMainWindow& frame, const QString& title)
{
    for (QAction* action : frame.menuBar()->actions())
        if (action->menu() && action->text() == title)
            return action->menu();
    return nullptr;
}

// The view shows file (at any anchor).
bool Shows(const QString& location, const QString& file)
{
    return !file.isEmpty() && location.startsWith(file) &&
           (location.size() == file.size() || location.at(file.size()) == QLatin1Char('#'));
}

QString PlaceText(const BookmarkTag& bookmark)
{
    QStringList names;
    for (const std::u16string& name : bookmark.vecPath)
        names << QString::fromStdU16String(name);
    return QStringLiteral("%1 %2頁").arg(names.join(QStringLiteral("\\"))).arg(bookmark.nPageNo);
}

} // namespace

CReadingAids::CReadingAids(QMainWindow& frame, CLeftForm& form, CVeskView& view,
                           const std::filesystem::path& dataFolder)
    : QObject(&frame), m_frame(frame), m_form(form), m_view(view), m_history(dataFolder), m_bookmarks(dataFolder)
{
    m_charInfo = new CCharInfoLabel(&frame);
    frame.statusBar()->addPermanentWidget(m_charInfo);
    QString problem;
    if (!m_bookmarks.Load(&problem))
        ShowStatus(QStringLiteral("しおりのファイルを読めませんでした：") + problem);
    m_historyPopup = new CKeywordHistoryPopup(&frame);
    connect(m_historyPopup, &CKeywordHistoryPopup::entryChosen, this, [this](int index) {
        if (index >= 0 && index < m_history.Entries().size())
            RestoreSearch(m_history.Entries()[index]);
    });
    CreateActions();
    CreateMenus();
    ConnectPane();
}

CReadingAids::~CReadingAids() = default;

void CReadingAids::SetDataFolder(const std::filesystem::path& dataFolder)
{
    m_historyPopup->hide();
    m_history = CKeywordHistory(dataFolder);
    m_bookmarks = CBookmarkStore(dataFolder);
    QString problem;
    if (!m_bookmarks.Load(&problem))
        ShowStatus(QStringLiteral("しおりのファイルを読めませんでした：") + problem);
    if (m_bookmarkListWnd)
        m_bookmarkListWnd->Refresh();
}

void CReadingAids::CreateActions()
{
    m_addBookmark = new QAction(QStringLiteral("しおりを挟む(&A)..."), this);
    m_addBookmark->setShortcut(kAddBookmarkKey);
    m_addBookmark->setShortcutContext(Qt::WindowShortcut);
    connect(m_addBookmark, &QAction::triggered, this, &CReadingAids::OnAddBookmark);
    m_bookmarkList = new QAction(QStringLiteral("しおり一覧(&L)..."), this);
    connect(m_bookmarkList, &QAction::triggered, this, &CReadingAids::OnShowBookmarkList);
    m_codePoint = new QAction(QStringLiteral("コード位置で文字を入力(&U)..."), this);
    connect(m_codePoint, &QAction::triggered, this, &CReadingAids::OnCodePoint);
    m_clearHistory = new QAction(QStringLiteral("検索履歴を消去(&H)"), this);
    connect(m_clearHistory, &QAction::triggered, this, &CReadingAids::OnClearHistory);
    // The key works while the window has the keyboard, menu open or not.
    m_frame.addAction(m_addBookmark);
}

void CReadingAids::CreateMenus()
{
    auto* bookmarks = new QMenu(QStringLiteral("しおり(&B)"), &m_frame);
    bookmarks->addAction(m_addBookmark);
    bookmarks->addAction(m_bookmarkList);
    connect(bookmarks, &QMenu::aboutToShow, this,
            [this] { m_addBookmark->setEnabled(PageBeingRead().has_value()); });
    connect(bookmarks, &QMenu::aboutToHide, this, [this] { m_addBookmark->setEnabled(true); });
    // Before "ヘルプ(&H)", the last menu.
    const QList<QAction*> menus = m_frame.menuBar()->actions();
    m_frame.menuBar()->insertMenu(menus.isEmpty() ? nullptr : menus.back(), bookmarks);
    if (QMenu* edit = MenuTitled(m_frame, QStringLiteral("編集(&E)"))) {
        edit->addSeparator();
        edit->addAction(m_codePoint);
        edit->addAction(m_clearHistory);
    }
}

void CReadingAids::ConnectPane()
{
    connect(&m_form, &CLeftForm::keywordSearched, this, [this](const QString& typed) {
        if (!m_history.Add({typed, m_form.m_nTarget, m_form.m_bVariant, m_form.m_nAndOr}))
            ShowStatus(QStringLiteral("検索履歴を保存できませんでした。"));
    });
    CKeywordBox* box = m_form.KeywordBox();
    QAction* dropDown = box->addAction(DropDownIcon(), QLineEdit::TrailingPosition);
    dropDown->setToolTip(QStringLiteral("検索履歴"));
    dropDown->setObjectName(QStringLiteral("keywordHistoryButton"));
    connect(dropDown, &QAction::triggered, this, &CReadingAids::ShowHistoryPopup);
    box->installEventFilter(this);
    connect(&m_view, &QTextBrowser::selectionChanged, this, &CReadingAids::OnTextSelectionChanged);
}

bool CReadingAids::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.KeywordBox() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier ||
                           key->modifiers() == Qt::AltModifier;
        if (plain && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !m_history.Entries().isEmpty()) {
            ShowHistoryPopup();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CReadingAids::ShowHistoryPopup()
{
    if (m_history.Entries().isEmpty()) {
        ShowStatus(QStringLiteral("検索履歴はありません。"));
        return;
    }
    m_historyPopup->ShowBelow(m_form.KeywordBox(), m_history.Entries());
}

void CReadingAids::RestoreSearch(const KeywordHistoryEntry& entry)
{
    m_form.SetCurrentTab(kSearchTab);
    m_form.KeywordBox()->setText(entry.keyword);
    m_form.m_nAndOr = entry.andOr;
    m_form.m_nTarget = entry.target;
    m_form.m_bVariant = entry.variants;
    m_form.UpdateData(false);
    // The target radios open the index of their target; the others are
    // read when the search starts.
    if (m_form.m_nIndexType != entry.target)
        m_form.OnTarget(entry.target);
    m_form.OnSearch();
}

std::optional<BookmarkTag> CReadingAids::PageBeingRead() const
{
    const QString location = m_view.GetLocationURL();
    if (Shows(location, m_form.m_strHitFile))
        return BookmarkOfPage(m_form.m_contents, m_form.m_nHitPageId);
    if (Shows(location, m_form.m_strPageFile) && m_form.m_nCurRecord > 0)
        return BookmarkOfVolumePage(m_form.m_contents, m_form.m_nCurRecord, m_form.m_nCurPage);
    return std::nullopt;
}

bool CReadingAids::AddBookmark(const QString& note)
{
    std::optional<BookmarkTag> bookmark = PageBeingRead();
    if (!bookmark)
        return false;
    bookmark->strNote = note.toStdU16String();
    bookmark->strAdded = QDateTime::currentDateTime().toString(Qt::ISODate).toStdString();
    m_bookmarks.m_vecBookmarks.push_back(*bookmark);
    QString problem;
    if (!m_bookmarks.Save(&problem)) {
        m_bookmarks.m_vecBookmarks.pop_back();
        ShowMessageBox(&m_frame, QStringLiteral("しおりを保存できませんでした。\n%1").arg(problem));
        return false;
    }
    if (m_bookmarkListWnd)
        m_bookmarkListWnd->Refresh();
    ShowStatus(QStringLiteral("しおりを挟みました：") + PlaceText(*bookmark));
    return true;
}

void CReadingAids::OnAddBookmark()
{
    const std::optional<BookmarkTag> page = PageBeingRead();
    if (!page) {
        ShowStatus(QStringLiteral("しおりを挟む頁がありません。頁を開いてください。"));
        return;
    }
    bool ok = false;
    const QString note = QInputDialog::getText(&m_frame, QStringLiteral("しおりを挟む"),
                                               PlaceText(*page) + QStringLiteral("\n名前（なくても構いません）："),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok)
        AddBookmark(note);
}

std::optional<BookmarkTarget> CReadingAids::Resolve(const BookmarkTag& bookmark) const
{
    return ResolveBookmark(m_form.m_contents, m_form.m_index.FileList(), bookmark);
}

CBookmarkListWnd* CReadingAids::BookmarkList()
{
    if (!m_bookmarkListWnd) {
        m_bookmarkListWnd =
            new CBookmarkListWnd(m_bookmarks, [this](const BookmarkTag& b) { return Resolve(b); }, &m_frame);
        connect(m_bookmarkListWnd, &CBookmarkListWnd::openRequested, this, &CReadingAids::OpenBookmarkedPage);
    }
    return m_bookmarkListWnd;
}

void CReadingAids::OnShowBookmarkList()
{
    CBookmarkListWnd* list = BookmarkList();
    list->Refresh();
    list->show();
    list->raise();
    list->activateWindow();
}

void CReadingAids::OpenBookmarkedPage(const BookmarkTarget& target)
{
    // Selecting the volume's item makes it the scope and opens its first
    // page, as the volume steps do; then the bookmarked page is shown.
    if (CContentsTree* tree = m_form.ContentsTree()) {
        if (QTreeWidgetItem* item = tree->ItemOfRecord(target.record)) {
            tree->setCurrentItem(item);
            tree->scrollToItem(item);
        }
    }
    m_form.m_nCurRecord = target.record;
    m_form.m_nCurPage = target.pageNo;
    m_form.ShowDocumentPage(target.record, 0, target.pageNo);
    if (QSlider* slider = m_form.PageSlider()) {
        const ContentsRecordTag& volume = m_form.m_contents.Record(static_cast<std::size_t>(target.record));
        const QSignalBlocker quiet(slider);
        slider->setRange(volume.curFileName, volume.curFileName + std::max(volume.docNo, 1) - 1);
        slider->setValue(target.pageNo);
    }
    m_form.UpdatePageIndicator();
}

void CReadingAids::OnCodePoint()
{
    CCodePointDlg dialog(&m_frame);
    if (dialog.exec() != QDialog::Accepted || dialog.Character().isEmpty())
        return;
    m_form.SetCurrentTab(kSearchTab);
    CKeywordBox* box = m_form.KeywordBox();
    box->insert(dialog.Character());
    box->setFocus();
}

void CReadingAids::OnClearHistory()
{
    m_historyPopup->hide();
    ShowStatus(m_history.Clear() ? QStringLiteral("検索履歴を消去しました。")
                                 : QStringLiteral("検索履歴を消去できませんでした。"));
}

void CReadingAids::OnTextSelectionChanged()
{
    const std::optional<char32_t> character = CCharInfoLabel::SingleCharacter(m_view.textCursor().selectedText());
    if (!character) {
        m_charInfo->ClearCharacter();
        return;
    }
    std::vector<std::uint32_t> group;
    std::uint32_t key = 0;
    const VariantTable& variants = m_form.m_index.Variants();
    if (variants.FindKey(*character, key) && key >= kFirstVariantKey &&
        key - kFirstVariantKey < variants.Groups().size())
        group = variants.Groups()[key - kFirstVariantKey];
    m_charInfo->ShowCharacter(*character, group);
}

void CReadingAids::ShowStatus(const QString& text)
{
    m_frame.statusBar()->showMessage(text, kStatusMs);
}

} // namespace vesk
