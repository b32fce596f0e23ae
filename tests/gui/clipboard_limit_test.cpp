// The 600-byte copy limit, counted as the double-byte code page counts.
#include "gui_test_main.h"
#include "window/clipboard_limit.h"

#include <QString>

namespace {

std::u16string Repeat(const QString& piece, int times)
{
    return piece.repeated(times).toStdU16String();
}

const QString kCjk = QStringLiteral("學");
const QString kExtB = QString::fromUcs4(U"\U00020000");  // CJK extension B, not in the code page

} // namespace

class ClipboardLimitTest : public QObject {
    Q_OBJECT
private slots:
    void limit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<int>("keptUnits");  // UTF-16 units kept when cut
        const QString a = QStringLiteral("a");
        QTest::newRow("600 single bytes fit") << a.repeated(600) << false << 0;
        QTest::newRow("601 single bytes cut to 600") << a.repeated(601) << true << 600;
        QTest::newRow("300 two-byte characters fit") << kCjk.repeated(300) << false << 0;
        QTest::newRow("301 two-byte characters cut to 300") << kCjk.repeated(301) << true << 300;
        QTest::newRow("no half character") << a.repeated(599) + kCjk << true << 599;
        QTest::newRow("CR LF counts 2 and fits") << a.repeated(598) + QStringLiteral("\r\n") << false << 0;
        QTest::newRow("LF counts 2") << a.repeated(599) + QStringLiteral("\n") << true << 599;
        QTest::newRow("CR LF never split") << a.repeated(599) + QStringLiteral("\r\n") << true << 599;
        QTest::newRow("unencodable counts 2") << a.repeated(598) + kExtB << false << 0;
        QTest::newRow("surrogate pair never split") << a.repeated(599) + kExtB << true << 599;
        QTest::newRow("half-width katakana is one byte") << QStringLiteral("ｱ").repeated(600) << false << 0;
        QTest::newRow("full-width form is two bytes") << QStringLiteral("Ａ").repeated(301) << true << 300;
        QTest::newRow("empty") << QString() << false << 0;
    }

    void limit()
    {
        QFETCH(QString, text);
        QFETCH(bool, cut);
        QFETCH(int, keptUnits);
        const std::u16string u16 = text.toStdU16String();
        const auto result = vesk::CutToCodePageLimit(u16);
        QCOMPARE(result.has_value(), cut);
        if (cut) {
            QCOMPARE(static_cast<int>(result->size()), keptUnits);
            QVERIFY(u16.starts_with(*result));
            QVERIFY(vesk::CodePageLength(*result) <= vesk::kCopyLimitBytes);
        } else {
            QVERIFY(vesk::CodePageLength(u16) <= vesk::kCopyLimitBytes);
        }
    }

    void countsMixedText()
    {
        QCOMPARE(vesk::CodePageLength(Repeat(QStringLiteral("ab學\r\nｱ") + kExtB, 2)), std::size_t{2 * 9});
    }
};

VESK_GUI_TEST_MAIN(ClipboardLimitTest)
#include "clipboard_limit_test.moc"
