// SPDX-License-Identifier: GPL-3.0-or-later

// Pixel tests of the skin images and drawing primitives, on off-screen images only.

#include "skin/images.h"
#include "skin/primitives.h"

#include <QPainter>
#include <QTest>

using namespace corvessa::skin;

namespace {

QImage filled(int w, int h, QRgb colour, qreal dpr = 1.0) {
    QImage image = makeSurface(w, h, dpr);
    image.fill(colour);
    return image;
}

QRgb rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

} // namespace

class PrimitivesTest : public QObject {
    Q_OBJECT

private slots:
    void halvingRoundsTiesToEven_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("half");
        QTest::newRow("5") << 5 << 2;
        QTest::newRow("7") << 7 << 4;
        QTest::newRow("-1") << -1 << 0;
        QTest::newRow("-3") << -3 << -2;
        QTest::newRow("13-7") << 13 - 7 << 3;
        QTest::newRow("13-5") << 13 - 5 << 4;
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("3") << 3 << 2;
        QTest::newRow("0") << 0 << 0;
    }
    void halvingRoundsTiesToEven() {
        QFETCH(int, value);
        QFETCH(int, half);
        QCOMPARE(halve(value), half);
        QCOMPARE(roundHalfEven(value / 2.0), half);
    }

    void roundingOfProducts() {
        QCOMPARE(roundHalfEven(50.5), 50);
        QCOMPARE(roundHalfEven(51.5), 52);
        QCOMPARE(roundHalfEven(49.6), 50);
        QCOMPARE(roundHalfEven(-0.5), 0);
    }

    void borderWidthsSubtractScrollBarsAndHalve() {
        QCOMPARE(borderWidths(QSize(100, 30), QSize(96, 26), 0, 0).bx, 2);
        QCOMPARE(borderWidths(QSize(121, 30), QSize(100, 26), 17, 0).bx, 2);
        const BorderSize odd = borderWidths(QSize(105, 37), QSize(100, 30), 0, 0); // 5/2 and 7/2
        QCOMPARE(odd.bx, 2);
        QCOMPARE(odd.by, 4);
    }

    void surfacesHaveDeviceIndependentSizes() {
        const QImage one = makeSurface(75, 25);
        QCOMPARE(one.size(), QSize(75, 25));
        const QImage two = makeSurface(75, 25, 2.0);
        QCOMPARE(two.size(), QSize(150, 50));
        QCOMPARE(two.deviceIndependentSize(), QSizeF(75, 25));
        QVERIFY(makeSurface(0, 10).isNull());
        QVERIFY(makeSurface(10, -1).isNull());
    }

    void fillAndFrameStayInsideTheirRectangle() {
        QImage image = filled(10, 10, colors::White);
        QPainter p(&image);
        fillBox(p, 2, 2, 3, 3, colors::BarBlue);
        frameBox(p, 5, 5, 4, 4, colors::FrameBlue);
        p.end();
        QCOMPARE(rgb(image, 2, 2), colors::BarBlue);
        QCOMPARE(rgb(image, 4, 4), colors::BarBlue);
        QCOMPARE(rgb(image, 5, 4), colors::White); // right edge excluded
        QCOMPARE(rgb(image, 4, 5), colors::White); // bottom edge excluded
        QCOMPARE(rgb(image, 5, 5), colors::FrameBlue);
        QCOMPARE(rgb(image, 8, 8), colors::FrameBlue);
        QCOMPARE(rgb(image, 6, 6), colors::White); // inside of the frame untouched
        QCOMPARE(rgb(image, 9, 9), colors::White);
    }

    void focusRectangleIsDotted() {
        QImage image = filled(20, 10, colors::White);
        QPainter p(&image);
        p.setPen(QColor::fromRgb(colors::Black));
        drawFocus(p, 2, 2, 16, 6);
        p.end();
        QCOMPARE(rgb(image, 2, 2), colors::Black);
        QCOMPARE(rgb(image, 3, 2), colors::White);
        QCOMPARE(rgb(image, 4, 2), colors::Black);
        QCOMPARE(rgb(image, 10, 5), colors::White); // inside untouched
        QCOMPARE(rgb(image, 1, 1), colors::White);  // outside untouched
    }

    void nineSliceKeepsCornersAndRepeatsTheMiddleColumn() {
        const SkinImages images = buildSkinImages();
        const QRect face = tiles::buttonFace(1);
        QImage target = filled(75, 25, colors::KeyMagenta);
        QPainter p(&target);
        QVERIFY(nineSliceBlit(p, QRect(0, 0, 75, 25), images.buttonStrip, face, {3, 3, 3, 3}));
        p.end();
        const QImage& src = images.buttonStrip;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 3; ++x) {
                QCOMPARE(rgb(target, x, y), rgb(src, x, face.y() + y));                    // top left
                QCOMPARE(rgb(target, 72 + x, y), rgb(src, 4 + x, face.y() + y));           // top right
                QCOMPARE(rgb(target, x, 22 + y), rgb(src, x, face.y() + 18 + y));          // bottom left
                QCOMPARE(rgb(target, 72 + x, 22 + y), rgb(src, 4 + x, face.y() + 18 + y)); // bottom right
            }
        }
        // Column 3 of the face is the only source column of the middle: every middle column repeats it.
        for (int y = 0; y < 25; ++y) {
            for (int x = 4; x < 72; ++x) {
                QCOMPARE(rgb(target, x, y), rgb(target, 3, y));
            }
        }
        for (int y = 0; y < 3; ++y) {
            QCOMPARE(rgb(target, 40, y), rgb(src, 3, face.y() + y));
            QCOMPARE(rgb(target, 40, 22 + y), rgb(src, 3, face.y() + 18 + y));
        }
        // No smoothing: every middle pixel is one of the source's column-3 pixels.
        QSet<QRgb> column;
        for (int y = 0; y < face.height(); ++y) {
            column.insert(rgb(src, 3, face.y() + y));
        }
        for (int y = 3; y < 22; ++y) {
            QVERIFY(column.contains(rgb(target, 40, y)));
        }
    }

    void nineSliceOnAHighDensitySurfaceScalesWholePixels() {
        const SkinImages images = buildSkinImages();
        const QRect face = tiles::buttonFace(0);
        QImage target = filled(75, 25, colors::KeyMagenta, 2.0);
        QPainter p(&target);
        nineSliceBlit(p, QRect(0, 0, 75, 25), images.buttonStrip, face, {3, 3, 3, 3});
        p.end();
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                QCOMPARE(rgb(target, x, y), rgb(images.buttonStrip, x / 2, y / 2));
            }
        }
    }

    void nineSliceWithEmptySourceOrTargetDrawsNothing() {
        const SkinImages images = buildSkinImages();
        QImage target = filled(10, 10, colors::White);
        QPainter p(&target);
        QVERIFY(
            !nineSliceBlit(p, QRect(0, 0, 0, 10), images.buttonStrip, tiles::buttonFace(0), {3, 3, 3, 3}));
        QVERIFY(!nineSliceBlit(p, QRect(0, 0, 10, 10), images.buttonStrip, QRect(0, 0, 7, 0), {3, 3, 3, 3}));
        p.end();
        QCOMPARE(target, filled(10, 10, colors::White));
    }

    void colourKeyCopyLeavesKeyPixelsUntouched() {
        QImage source(4, 2, QImage::Format_RGB32);
        source.fill(colors::KeyMagenta);
        source.setPixel(1, 0, colors::BarBlue);
        source.setPixel(3, 1, colors::Black);
        const QRgb background = qRgb(10, 20, 30);
        QImage target = filled(6, 4, background);
        QPainter p(&target);
        colorKeyBlit(p, 1, 1, 4, 2, source, 0, 0, colors::KeyMagenta);
        p.end();
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 6; ++x) {
                QRgb expected = background;
                if (x == 2 && y == 1) {
                    expected = colors::BarBlue;
                } else if (x == 4 && y == 2) {
                    expected = colors::Black;
                }
                QCOMPARE(rgb(target, x, y), expected);
            }
        }
    }

    void keyedNineSliceKeepsTheTargetOutsideTheDisc() {
        const SkinImages images = buildSkinImages();
        const QRgb background = qRgb(200, 10, 10);
        QImage target = filled(16, 16, background);
        QPainter p(&target);
        nineSliceBlit(p, QRect(0, 0, 16, 16), images.boxSheet, tiles::disc(0), {5, 5, 5, 5},
                      colors::KeyMagenta);
        p.end();
        QCOMPARE(rgb(target, 0, 0), background);
        QCOMPARE(rgb(target, 15, 15), background);
        QCOMPARE(rgb(target, 8, 8), colors::White);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                QVERIFY(rgb(target, x, y) != colors::KeyMagenta);
            }
        }
    }

    void buttonStripTellingPixels() {
        const QImage image = buildSkinImages().buttonStrip;
        QCOMPARE(image.size(), tiles::ButtonStripSize);
        struct Face {
            QRgb outline, corner, row1, row3, row17, row19;
        };
        const Face faces[4] = {
            {qRgb(27, 143, 213), qRgb(191, 225, 249), qRgb(255, 255, 255), qRgb(241, 248, 252),
             qRgb(177, 208, 234), qRgb(204, 224, 241)},
            {qRgb(27, 143, 213), qRgb(191, 225, 249), qRgb(76, 195, 251), qRgb(210, 238, 252),
             qRgb(167, 212, 242), qRgb(63, 187, 248)},
            {qRgb(27, 143, 213), qRgb(191, 225, 249), qRgb(57, 188, 251), qRgb(159, 212, 243),
             qRgb(195, 234, 253), qRgb(64, 193, 253)},
            {qRgb(135, 195, 232), qRgb(242, 247, 251), qRgb(248, 251, 253), qRgb(242, 247, 251),
             qRgb(210, 227, 243), qRgb(223, 235, 246)},
        };
        for (int s = 0; s < 4; ++s) {
            const int top = 21 * s;
            const Face& f = faces[s];
            QCOMPARE(rgb(image, 0, top), f.corner);
            QCOMPARE(rgb(image, 6, top + 20), f.corner);
            QCOMPARE(rgb(image, 3, top), f.outline);
            QCOMPARE(rgb(image, 0, top + 10), f.outline);
            QCOMPARE(rgb(image, 6, top + 10), f.outline);
            QCOMPARE(rgb(image, 3, top + 20), f.outline);
            QCOMPARE(rgb(image, 3, top + 1), f.row1);
            QCOMPARE(rgb(image, 3, top + 3), f.row3);
            QCOMPARE(rgb(image, 3, top + 17), f.row17);
            QCOMPARE(rgb(image, 3, top + 19), f.row19);
        }
    }

    void comboStripTellingPixels() {
        const QImage image = buildSkinImages().comboStrip;
        QCOMPARE(image.size(), tiles::ComboStripSize);
        for (int y = 0; y < 18; ++y) {
            QCOMPARE(rgb(image, 0, y), qRgb(78, 160, 209));
            QCOMPARE(rgb(image, 4, y), qRgb(78, 160, 209));
        }
        QCOMPARE(rgb(image, 1, 0), qRgb(232, 249, 255));
        QCOMPARE(rgb(image, 3, 17), qRgb(192, 225, 243));
        QCOMPARE(rgb(image, 2, 1), qRgb(193, 238, 253));
        QCOMPARE(rgb(image, 2, 16), qRgb(101, 184, 227));
        QCOMPARE(rgb(image, 5, 0), qRgb(192, 225, 243)); // pressed: dark at the top
        QCOMPARE(rgb(image, 5, 17), qRgb(232, 249, 255));
        const int widths[4] = {7, 5, 3, 1};
        for (int row = 0; row < 4; ++row) {
            int enabled = 0;
            int disabled = 0;
            for (int x = 8; x < 15; ++x) {
                enabled += rgb(image, x, row) == qRgb(25, 85, 95);
                disabled += rgb(image, x, 4 + row) == qRgb(132, 165, 172);
                QVERIFY(rgb(image, x, row) == qRgb(25, 85, 95) || rgb(image, x, row) == colors::KeyMagenta);
            }
            QCOMPARE(enabled, widths[row]);
            QCOMPARE(disabled, widths[row]);
        }
        QCOMPARE(rgb(image, 11, 3), qRgb(25, 85, 95)); // the tip sits in the middle
        QCOMPARE(rgb(image, 10, 12), colors::KeyMagenta);
    }

    void markSheetTellingPixels() {
        const QImage image = buildSkinImages().markSheet;
        QCOMPARE(image.size(), tiles::MarkSheetSize);
        QCOMPARE(rgb(image, 8, 0), qRgb(84, 183, 29)); // long stroke reaches the top-right corner
        QCOMPARE(rgb(image, 2, 7), qRgb(53, 145, 2));  // bottom of the tick
        QCOMPARE(rgb(image, 0, 3), gradientRow(image, 0, 3));
        QCOMPARE(rgb(image, 0, 0), colors::KeyMagenta);
        QCOMPARE(rgb(image, 17, 0), qRgb(168, 218, 140));
        QCOMPARE(rgb(image, 11, 7), qRgb(152, 199, 126));
        QCOMPARE(rgb(image, 1, 9), qRgb(81, 180, 27));
        QCOMPARE(rgb(image, 7, 15), qRgb(57, 150, 6));
        QCOMPARE(rgb(image, 10, 9), qRgb(166, 217, 139));
        QCOMPARE(rgb(image, 16, 15), qRgb(154, 201, 128));
        QCOMPARE(rgb(image, 0, 9), colors::KeyMagenta); // key around the square
        QCOMPARE(rgb(image, 4, 20), qRgb(79, 177, 25)); // centre of the dot
        QCOMPARE(rgb(image, 2, 18), colors::KeyMagenta);
        QVERIFY(isLighter(rgb(image, 4, 18), qRgb(79, 177, 25)));
    }

    void boxSheetTellingPixels() {
        const QImage image = buildSkinImages().boxSheet;
        QCOMPARE(image.size(), tiles::BoxSheetSize);
        const QRgb rings[4] = {qRgb(131, 166, 210), qRgb(131, 166, 210), qRgb(100, 137, 193),
                               qRgb(193, 210, 232)};
        for (int face = 0; face < 4; ++face) {
            const int top = 13 * face;
            QCOMPARE(rgb(image, 0, top), colors::KeyMagenta);
            QCOMPARE(rgb(image, 12, top + 12), colors::KeyMagenta);
            QCOMPARE(rgb(image, 0, top + 6), rings[face]); // left of the ring, mid height
            QCOMPARE(rgb(image, 6, top + 12), rings[face]);
        }
        QCOMPARE(rgb(image, 6, 6), colors::White);
        QCOMPARE(rgb(image, 6, 39 + 6), colors::White);
        // Hover and pressed insides are shaded from top left to bottom right.
        QVERIFY(isLighter(rgb(image, 8, 13 + 8), rgb(image, 4, 13 + 4)));
        QVERIFY(isLighter(rgb(image, 8, 26 + 8), rgb(image, 4, 26 + 4)));
    }

    void headerStripTellingPixels() {
        const QImage image = buildSkinImages().headerStrip;
        QCOMPARE(image.size(), tiles::HeaderStripSize);
        for (int x = 0; x < 9; ++x) {
            QCOMPARE(rgb(image, x, 19), qRgb(192, 218, 242));
        }
        QCOMPARE(rgb(image, 1, 0), qRgb(234, 245, 254));
        QCOMPARE(rgb(image, 1, 18), qRgb(211, 229, 246));
        QCOMPARE(rgb(image, 2, 9), qRgb(122, 176, 217)); // separator darkest at mid height
        QVERIFY(isLighter(rgb(image, 2, 2), qRgb(122, 176, 217)));
        QCOMPARE(rgb(image, 3, 5), qRgb(94, 194, 250));
        QCOMPARE(rgb(image, 5, 5), qRgb(94, 194, 250));
        QVERIFY(isLighter(rgb(image, 7, 5), rgb(image, 4, 5))); // pressed middle lighter than hot middle
    }

private:
    static int sum(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); }
    static bool isLighter(QRgb a, QRgb b) { return sum(a) > sum(b); }
    // A tick pixel on row y has the colour of the shading at that row, the same as any other tick pixel
    // there.
    static QRgb gradientRow(const QImage& image, int x, int y) {
        Q_UNUSED(x);
        return image.pixel(4, y) | 0xff000000u;
    }
};

QTEST_GUILESS_MAIN(PrimitivesTest)
#include "primitives_test.moc"
