#include "window/page_printing.h"

#include <QPrinter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include <memory>

namespace vesk {
namespace {

// The document to print: a copy of the whole page, or of the selection.
std::unique_ptr<QTextDocument> PrintedCopy(const QTextDocument& document, const QTextCursor& cursor,
                                           bool selectionOnly)
{
    if (!selectionOnly)
        return std::unique_ptr<QTextDocument>(document.clone());
    auto copy = std::make_unique<QTextDocument>();
    copy->setDefaultFont(document.defaultFont());
    copy->setDefaultStyleSheet(document.defaultStyleSheet());
    copy->setMetaInformation(QTextDocument::DocumentTitle,
                             document.metaInformation(QTextDocument::DocumentTitle));
    QTextCursor(copy.get()).insertFragment(cursor.selection());
    return copy;
}

} // namespace

void PrintAtReadingSize(const QTextDocument& document, const QTextCursor& cursor, QPrinter& printer,
                        double screenDpi)
{
    const bool selectionOnly = printer.printRange() == QPrinter::Selection;
    if (selectionOnly && !cursor.hasSelection())
        return;
    const std::unique_ptr<QTextDocument> copy = PrintedCopy(document, cursor, selectionOnly);
    QFont font = copy->defaultFont();
    if (font.pixelSize() > 0 && screenDpi > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / screenDpi);
    copy->setDefaultFont(font);
    copy->print(&printer);
}

} // namespace vesk
