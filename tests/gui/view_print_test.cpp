// Printing from the text view: the page comes out at reading size (checked
// in a PDF file with pdftotext from poppler-utils), and the print without a
// dialog says so when there is no printer.
#include "gui_test_main.h"
#include "support/data_folder.h"
#include "textstore/hit_page.h"
#include "ui/app_strings.h"
#include "ui/message_box.h"
#include "window/vesk_view.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <string>

namespace {

// The height in points of every word pdftotext finds in a PDF file.
QList<double> WordHeights(const QString& pdf, QString& error)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error = QStringLiteral("pdftotext did not run (poppler-utils: scripts/setup-deps.sh test): ") +
                process.errorString();
        return {};
    }
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"[\\d.]+\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">"));
    QList<double> heights;
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    for (auto it = word.globalMatch(output); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        heights << match.captured(2).toDouble() - match.captured(1).toDouble();
    }
    return heights;
}

// A hit page of an even page number, with main text and an annotation.
QString WriteHitPage(const QTemporaryDir& dir)
{
    const std::string cell = "<p>明月照我還，" + vesk::test::Note("注文") + "清風吹我衣。</p>";
    std::string page;
    vesk::GenerateHitPage(vesk::test::MakePage(24, cell), 24, u"明月", vesk::kTargetWhole, page);
    const QString path = dir.filePath(QStringLiteral("windows1.html"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page.data(), qint64(page.size())) != qint64(page.size()))
        return {};
    return path;
}

} // namespace

class ViewPrintTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        vesk::SetMessageBoxInterceptor([this](const QString& text) { m_messages << text; });
        m_view = std::make_unique<vesk::CVeskView>();
        m_view->resize(800, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QVERIFY(m_dir.isValid());
        m_view->Navigate(WriteHitPage(m_dir) + QStringLiteral("#0000"));
    }

    void cleanup()
    {
        m_view.reset();
        vesk::SetMessageBoxInterceptor({});
    }

    // The view's 16 pixels are 12 points on its 96 dpi screen; printed in
    // pixels of a 1200 dpi printer they were about 1 point.
    void printedTextHasTheReadingSize_data()
    {
        QTest::addColumn<bool>("selectionOnly");
        QTest::newRow("whole page") << false;
        QTest::newRow("selection") << true;
    }

    void printedTextHasTheReadingSize()
    {
        QFETCH(bool, selectionOnly);
        const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (selectionOnly) {
            m_view->SelectAllText();
            printer.setPrintRange(QPrinter::Selection);
        }
        QTest::failOnWarning(QRegularExpression(QStringLiteral("size <= 0")));
        m_view->PrintPage(&printer);

        QString error;
        const QList<double> heights = WordHeights(pdf, error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY(!heights.isEmpty());
        for (double height : heights)
            QVERIFY2(height >= 8 && height <= 20, qPrintable(QStringLiteral("word %1 pt high").arg(height)));
    }

    void printWithoutPrinterSaysSo()
    {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("a printer is installed here: printing would put a page on it");
        m_view->PrintDirect();
        QCOMPARE(m_messages, QStringList{vesk::kMessageNoPrinter});
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<vesk::CVeskView> m_view;
    QStringList m_messages;
};

VESK_GUI_TEST_MAIN(ViewPrintTest)
#include "view_print_test.moc"
