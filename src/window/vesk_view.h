#pragma once
// The right-hand pane: shows the page files the search pane and the reading
// commands write, at an optional "#" anchor. It adds a blank start, a
// right-click menu, copying limited to 600 code-page bytes (300 CJK
// characters), a refusal of keyboard copying, select all and printing.
#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QTextBrowser>

#include <functional>
#include <memory>

class QMenu;
class QMimeData;
class QPrinter;

namespace vesk {

class CVeskView : public QTextBrowser {
    Q_OBJECT
public:
    explicit CVeskView(QWidget* parent = nullptr);
    ~CVeskView() override;

    // Shows a local file, optionally followed by "#" and an anchor, or
    // "about:blank". The same file is read again, as its content changes.
    void Navigate(const QString& location);
    QString GetLocationURL() const { return m_strLocation; }
    bool IsShowingPage() const;

    void CopyLimited();
    // Copies the selection, cut to the copy limit, followed by a line with
    // the reference of the page shown (not counted in the limit).
    void CopyWithCitation();
    // Where CopyWithCitation gets the reference; without one it copies as
    // CopyLimited does.
    void SetCitationSource(std::function<QString()> source) { m_citationSource = std::move(source); }
    void SelectAllText();
    void PrintDirect();      // print to the current printer, no dialog
    void PageSetup();        // page setup dialog
    void PrintPreview();     // print preview window
    void PrintWithDialog();  // the standard print dialog, then print
    // Prints the shown page (or the selection, when the printer asks for
    // it) with the on-screen text size in points.
    void PrintPage(QPrinter* printer);

    // The right-click menu ("コピー(...)", "すべて選択。", "出典付きでコピー"); shown only while a
    // page is shown.
    QMenu* ContextMenu() const { return m_pContextMenu; }
    // Pops the context menu up at a global position when a page is shown;
    // returns whether it was shown.
    bool PopupContextMenu(const QPoint& globalPos);

    // A page's HTML as this view shows it: a table's height is a least
    // height, as browsers take it, not a fixed one that cuts the text off;
    // a cell's width comes from what it holds, so the text gets the table's
    // width whichever cell holds it. The page file keeps its bytes.
    static QString AdaptPageForView(const QString& html);

protected:
    QVariant loadResource(int type, const QUrl& name) override;
    // The selection as it leaves the view, cut to the copy limit.
    QMimeData* createMimeDataFromSelection() const override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // True when the file at url is the page last loaded, byte for byte.
    bool ShowsFileAsItIs(const QUrl& url) const;
    QPrinter& Printer();
    bool HasPrinter();
    void CreateContextMenu();
    bool FilterInput(QEvent* event);

    QString m_strLocation;
    // The page last loaded and its bytes as read (ShowsFileAsItIs).
    QUrl m_shownPageUrl;
    QByteArray m_shownPageBytes;
    QMenu* m_pContextMenu = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter;
    std::function<QString()> m_citationSource;
};

} // namespace vesk
