// Blending of the toolbar's button strips with the background picture, and
// the grey conversion of the disabled strip.
#include "gui_test_main.h"
#include "window/toolbar_images.h"

#include <array>

using vesk::Dib24;
using vesk::Rgb;

namespace {

constexpr Rgb kMagenta{255, 0, 255};
constexpr Rgb kFallback{1, 2, 3};

// A background whose every pixel tells where it lies: red = x, green = row.
Dib24 CoordinateBackground(int width, int height)
{
    Dib24 dib(width, height);
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x)
            dib.SetPixel(x, row, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(row), 9});
    return dib;
}

} // namespace

class ToolbarImagesTest : public QObject {
    Q_OBJECT
private slots:
    void magentaShowsTheBackgroundBehindTheButton()
    {
        // Two 4 x 3 images; items: button, separator, button.
        Dib24 strip(8, 3, {10, 20, 30});
        strip.SetPixel(0, 0, kMagenta);
        strip.SetPixel(2, 1, kMagenta);
        strip.SetPixel(3, 2, {254, 0, 255});  // not quite the key: stays
        strip.SetPixel(5, 2, kMagenta);       // second image, column 1, row 2
        const Dib24 background = CoordinateBackground(40, 10);
        const std::array<int, 3> items{100, 0, 101};
        QVERIFY(vesk::BlendBackground(strip, background, kMagenta, {items, 4, 3}, kFallback));

        // First button at x = 3, rows shifted by 4 (bottom rows first).
        QCOMPARE(strip.Pixel(0, 0), (Rgb{3, 4, 9}));
        QCOMPARE(strip.Pixel(2, 1), (Rgb{5, 5, 9}));
        QCOMPARE(strip.Pixel(3, 2), (Rgb{254, 0, 255}));
        QCOMPARE(strip.Pixel(1, 1), (Rgb{10, 20, 30}));
        // Second button: 3 + (4 + 7) + 6 = 20, column 1 -> x 21.
        QCOMPARE(strip.Pixel(5, 2), (Rgb{21, 6, 9}));
    }

    void pixelsBeyondTheBackgroundTakeTheFallback()
    {
        Dib24 strip(4, 3, kMagenta);
        const Dib24 background = CoordinateBackground(5, 6);  // x 3..4 and rows 4..5 exist
        const std::array<int, 1> items{100};
        QVERIFY(vesk::BlendBackground(strip, background, kMagenta, {items, 4, 3}, kFallback));
        QCOMPARE(strip.Pixel(1, 1), (Rgb{4, 5, 9}));
        QCOMPARE(strip.Pixel(2, 0), kFallback);  // x 5 is past the width
        QCOMPARE(strip.Pixel(0, 2), kFallback);  // row 6 is past the height
    }

    void moreButtonsThanImagesAndBadPicturesAreSafe()
    {
        Dib24 strip(4, 3, kMagenta);
        const std::array<int, 3> items{100, 101, 102};  // only one image in the strip
        QVERIFY(vesk::BlendBackground(strip, CoordinateBackground(60, 10), kMagenta, {items, 4, 3}, kFallback));
        Dib24 empty;
        QVERIFY(!vesk::BlendBackground(empty, CoordinateBackground(60, 10), kMagenta, {items, 4, 3}, kFallback));
        Dib24 untouched(4, 3, kMagenta);
        QVERIFY(!vesk::BlendBackground(untouched, Dib24{}, kMagenta, {items, 4, 3}, kFallback));
        QCOMPARE(untouched.Pixel(0, 0), kMagenta);
    }

    void makeGray_data()
    {
        QTest::addColumn<int>("red");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("blue");
        QTest::addColumn<int>("grey");
        QTest::newRow("white") << 255 << 255 << 255 << 255;
        QTest::newRow("red") << 255 << 0 << 0 << 76;
        QTest::newRow("green") << 0 << 255 << 0 << 149;
        QTest::newRow("blue") << 0 << 0 << 255 << 29;
        QTest::newRow("black") << 0 << 0 << 0 << 0;
        QTest::newRow("magenta") << 255 << 0 << 255 << 105;
    }

    void makeGray()
    {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QFETCH(int, grey);
        Dib24 dib(2, 1, {static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                         static_cast<std::uint8_t>(blue)});
        vesk::MakeGray(dib);
        const auto g = static_cast<std::uint8_t>(grey);
        QCOMPARE(dib.Pixel(1, 0), (Rgb{g, g, g}));
    }
};

VESK_GUI_TEST_MAIN(ToolbarImagesTest)
#include "toolbar_images_test.moc"
