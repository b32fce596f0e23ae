#pragma once
// Printing the shown page at reading size. The view's font is sized in
// screen pixels; a printer lays the page out in its own, far smaller,
// pixels, so a pixel-sized font comes out about a point high. The page is
// printed from a copy whose font has the on-screen size in points.
class QPrinter;
class QTextCursor;
class QTextDocument;

namespace vesk {

// Prints document (only the selection of cursor when the printer asks for
// the selection) with its default font turned from pixels into points at
// screenDpi dots per inch. A font already sized in points is kept.
void PrintAtReadingSize(const QTextDocument& document, const QTextCursor& cursor, QPrinter& printer,
                        double screenDpi);

} // namespace vesk
