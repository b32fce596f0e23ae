#include "window/vesk_view.h"

#include "ui/app_strings.h"
#include "ui/message_box.h"
#include "window/clipboard_limit.h"
#include "window/command_ids.h"
#include "window/page_printing.h"
#include "window/surrogate_pairs.h"

#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>
#include <QScrollBar>
#include <QUrl>

namespace vesk {
namespace {

// A location is a file path, optionally followed by "#" and an anchor. Only a
// "#" after the file name's last "/" can start the anchor: folders (the
// temporary folder among them) may hold "#" in their names. A location that
// names an existing file as a whole has no anchor.
struct SplitLocation {
    QString path;
    QString anchor;
};

SplitLocation SplitAtAnchor(const QString& location)
{
    const qsizetype hash = location.lastIndexOf(QLatin1Char('#'));
    if (hash < 0 || hash < location.lastIndexOf(QLatin1Char('/')) || QFileInfo(location).isFile())
        return {location, {}};
    return {location.left(hash), location.mid(hash + 1)};
}

std::u16string_view Utf16View(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

} // namespace

CVeskView::CVeskView(QWidget* parent) : QTextBrowser(parent)
{
    // The view never follows links by itself: what it shows is decided by
    // the search pane and the reading commands.
    setOpenLinks(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setFocusPolicy(Qt::StrongFocus);
    QFont font;
    font.setFamilies({QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"),
                      QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Sans CJK JP")});
    font.setPixelSize(16);
    document()->setDefaultFont(font);
    CreateContextMenu();
    viewport()->installEventFilter(this);
    installEventFilter(this);
    Navigate(kBlankLocation);
}

CVeskView::~CVeskView() = default;

void CVeskView::CreateContextMenu()
{
    m_pContextMenu = new QMenu(this);
    QAction* copy = m_pContextMenu->addAction(QStringLiteral("コピー(300字以内に制限しています。)"));
    copy->setData(cmd::ContextCopy);
    QAction* selectAll = m_pContextMenu->addAction(QStringLiteral("すべて選択。"));
    selectAll->setData(cmd::ContextSelectAll);
    // Both items are drawn enabled; each checks once more that a page is
    // shown before it acts.
    connect(copy, &QAction::triggered, this, [this] {
        if (IsShowingPage())
            CopyLimited();
    });
    connect(selectAll, &QAction::triggered, this, [this] {
        if (IsShowingPage())
            SelectAllText();
    });
    QAction* cited = m_pContextMenu->addAction(QStringLiteral("出典付きでコピー"));
    cited->setData(cmd::ContextCopyCited);
    connect(cited, &QAction::triggered, this, [this] {
        if (IsShowingPage())
            CopyWithCitation();
    });
}

bool CVeskView::IsShowingPage() const
{
    return m_strLocation != kBlankLocation;
}

void CVeskView::Navigate(const QString& location)
{
    if (location == kBlankLocation) {
        m_strLocation = location;
        m_shownPageUrl.clear();
        m_shownPageBytes.clear();
        clear();
        return;
    }
    const auto [path, anchor] = SplitAtAnchor(location);
    const QUrl url = QUrl::fromLocalFile(path);
    m_strLocation = location;
    // The page files are rewritten in place, so the same file is read anew,
    // unless it holds the very bytes shown (a step to another anchor of the
    // hit page): then the laid-out page stays and only the anchor moves.
    if (source().adjusted(QUrl::RemoveFragment) == url) {
        if (!ShowsFileAsItIs(url)) {
            reload();
            JoinSplitSurrogatePairs(*document());
        }
    } else {
        setSource(url);
        JoinSplitSurrogatePairs(*document());
    }
    if (anchor.isEmpty())
        verticalScrollBar()->setValue(0);
    else
        scrollToAnchor(anchor);
}

QString CVeskView::AdaptPageForView(const QString& html)
{
    static const QRegularExpression tableHeight(
        QStringLiteral("(<table\\b[^>]*?)\\s+height\\s*=\\s*(\"?)\\d+%?\\2(?=[\\s>])"),
        QRegularExpression::CaseInsensitiveOption);
    // A hit page's text lies in its frame's first cell (80 pixels wide) on
    // an even page and in the second (450) on an odd one. Cells sized by
    // what they hold give the text the table's width in either cell.
    static const QRegularExpression cellWidth(
        QStringLiteral("(<td\\b[^>]*?)\\s+width\\s*=\\s*(\"?)\\d+%?\\2(?=[\\s>])"),
        QRegularExpression::CaseInsensitiveOption);
    QString adapted = html;
    adapted.replace(tableHeight, QStringLiteral("\\1"));
    adapted.replace(cellWidth, QStringLiteral("\\1"));
    return adapted;
}

bool CVeskView::ShowsFileAsItIs(const QUrl& url) const
{
    QFile file(url.toLocalFile());
    if (url != m_shownPageUrl || !file.open(QIODevice::ReadOnly) || file.size() != m_shownPageBytes.size())
        return false;
    return file.readAll() == m_shownPageBytes;
}

QVariant CVeskView::loadResource(int type, const QUrl& name)
{
    QVariant data = QTextBrowser::loadResource(type, name);
    if (type != QTextDocument::HtmlResource || data.userType() != QMetaType::QByteArray)
        return data;
    const QByteArray bytes = data.toByteArray();
    m_shownPageUrl = name.adjusted(QUrl::RemoveFragment);
    m_shownPageBytes = bytes;
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    return AdaptPageForView(decoder(bytes));
}

void CVeskView::CopyLimited()
{
    copy();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard->mimeData();
    if (!data || !data->hasText())
        return;
    // The view's own copy is already within the limit; this cuts a text
    // that was on the clipboard before (nothing was selected).
    const std::optional<std::u16string> cut = CutToCodePageLimit(Utf16View(data->text()));
    if (cut)
        clipboard->setText(QString::fromStdU16String(*cut));
}

QMimeData* CVeskView::createMimeDataFromSelection() const
{
    // Every way text leaves the view (the copy, the X11 primary selection a
    // mouse drag fills, dragging the selection away) takes it from here.
    // Within the limit everything the view offers stays; above it only the
    // plain text, cut at a whole character, remains.
    std::unique_ptr<QMimeData> data(QTextBrowser::createMimeDataFromSelection());
    if (!data)
        return nullptr;
    const std::optional<std::u16string> cut = CutToCodePageLimit(Utf16View(data->text()));
    if (!cut)
        return data.release();
    auto* limited = new QMimeData;
    limited->setText(QString::fromStdU16String(*cut));
    return limited;
}

void CVeskView::CopyWithCitation()
{
    const QString reference = m_citationSource ? m_citationSource() : QString();
    if (reference.isEmpty()) {
        CopyLimited();
        return;
    }
    const QString selected = textCursor().selection().toPlainText();
    if (selected.isEmpty())
        return;
    const std::u16string units = selected.toStdU16String();
    const std::optional<std::u16string> cut = CutToCodePageLimit(units);
    QGuiApplication::clipboard()->setText(QString::fromStdU16String(cut.value_or(units)) + QLatin1Char('\n') +
                                          reference);
}

void CVeskView::SelectAllText()
{
    selectAll();
}

QPrinter& CVeskView::Printer()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_pPrinter;
}

void CVeskView::PrintPage(QPrinter* printer)
{
    PrintAtReadingSize(*document(), textCursor(), *printer, logicalDpiY());
}

bool CVeskView::HasPrinter()
{
    // Without any printer Qt makes the printer a PDF writer with no file, so
    // printing would end without a word. A file chosen in the print dialog
    // is where the page goes.
    return Printer().outputFormat() == QPrinter::NativeFormat || !Printer().outputFileName().isEmpty();
}

void CVeskView::PrintDirect()
{
    if (!HasPrinter()) {
        ShowMessageBox(this, kMessageNoPrinter);
        return;
    }
    PrintPage(&Printer());
}

void CVeskView::PageSetup()
{
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

void CVeskView::PrintPreview()
{
    QPrintPreviewDialog dialog(&Printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintPage(printer); });
    dialog.exec();
}

void CVeskView::PrintWithDialog()
{
    QPrintDialog dialog(&Printer(), this);
    if (textCursor().hasSelection())
        dialog.setOption(QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
        PrintPage(&Printer());
}

bool CVeskView::PopupContextMenu(const QPoint& globalPos)
{
    if (!IsShowingPage())
        return false;
    m_pContextMenu->popup(globalPos);
    return true;
}

bool CVeskView::FilterInput(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::RightButton)
            return false;
        PopupContextMenu(QCursor::pos());
        return true;
    case QEvent::ShortcutOverride: {
        // Ctrl combinations are kept from the window's keys (so Ctrl+C does
        // not copy), except Ctrl+P, the print with its dialog.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier) || key->key() == Qt::Key_P)
            return false;
        event->accept();
        return true;
    }
    case QEvent::KeyPress: {
        // Keyboard copying is refused: text leaves the view only through
        // the limited copy of the right-click menu.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Control) {
            ShowMessageBox(this, kMessageUseRightButton);
            return true;
        }
        return (key->modifiers() & Qt::ControlModifier) != 0;
    }
    default:
        return false;
    }
}

bool CVeskView::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == viewport() || watched == this) && FilterInput(event))
        return true;
    return QTextBrowser::eventFilter(watched, event);
}

void CVeskView::contextMenuEvent(QContextMenuEvent* event)
{
    // The right button press has already been handled; a menu key press
    // shows the same menu at the cursor, never the browser's own.
    if (event->reason() != QContextMenuEvent::Mouse)
        PopupContextMenu(event->globalPos());
    event->accept();
}

} // namespace vesk
