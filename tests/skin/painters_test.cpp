// SPDX-License-Identifier: GPL-3.0-or-later

// Control painters at their stated pixels, on real widgets (offscreen).

#include "skin/engine.h"
#include "skin/images.h"
#include "skin/painters.h"
#include "skin/primitives.h"
#include "skin/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

using namespace corvessa::skin;

namespace {

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

QImage grabbed(QWidget* w) {
    return w->grab().toImage();
}

void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton,
           Qt::MouseButtons held = Qt::NoButton) {
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void leave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

QRect indicator(QWidget* w, QStyle::SubElement element) {
    QStyleOptionButton opt;
    opt.initFrom(w);
    return w->style()->subElementRect(element, &opt, w);
}

} // namespace

class PaintersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> form;

    template <typename T> T* add(T* w, const char* name, QRect geometry) {
        w->setParent(form.get());
        w->setObjectName(name);
        w->setGeometry(geometry);
        return w;
    }

    void attachAndShow() {
        attachSkin(form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    const QImage& combo() const { return skinImages()->comboStrip; }

private slots:
    void init() {
        form = std::make_unique<QWidget>();
        form->setObjectName("Form1");
        form->resize(420, 300);
    }

    void cleanup() {
        form.reset();
        QCOMPARE(attachedCount(), 0);
    }

    void editableComboShowsWhiteFieldFrameAndButtonFaces() {
        auto* c1 = add(new QComboBox, "C1", QRect(10, 10, 120, 22));
        c1->setEditable(true);
        c1->addItems({"一", "二"});
        attachAndShow();
        const int w = 120;
        const int h = 22;
        const int bw = painters::comboButtonWidth(c1);
        const int bx = w - bw - 1;
        const QPoint arrow(bx + halve(bw - 7), 1 + halve(h - 6));

        QImage image = grabbed(c1);
        QCOMPARE(at(image, 0, 0), colors::FrameBlue);
        QCOMPARE(at(image, w - 1, h - 1), colors::FrameBlue);
        QCOMPARE(at(image, bx, 2), colors::White); // normal: a white button
        QCOMPARE(at(image, arrow.x(), arrow.y()), qRgb(25, 85, 95));
        QCOMPARE(at(image, arrow.x() + 3, arrow.y() + 3), qRgb(25, 85, 95));
        QCOMPARE(at(image, arrow.x(), arrow.y() + 1), colors::White); // key pixels beside the tip

        // Hover only inside the button zone.
        mouse(c1, QEvent::MouseMove, QPoint(w - 5, h / 2));
        QCOMPARE(intProp(c1, keys::OldState), state::Hover);
        image = grabbed(c1);
        QCOMPARE(at(image, bx, 1), at(combo(), 0, 0));
        QCOMPARE(at(image, bx + 1, 1), at(combo(), 1, 0));
        QCOMPARE(at(image, bx + 1, h - 2), at(combo(), 1, 17));
        mouse(c1, QEvent::MouseMove, QPoint(10, h / 2));
        QCOMPARE(intProp(c1, keys::OldState), state::Normal);
        mouse(c1, QEvent::MouseMove, QPoint(w - 5, h / 2), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(intProp(c1, keys::OldState), state::Pressed);
        QCOMPARE(at(grabbed(c1), bx + 1, 1), at(combo(), 5, 0));
        leave(c1);
        QCOMPARE(intProp(c1, keys::OldState), state::Normal);
        QCOMPARE(intProp(c1, keys::MouseFlag), 0);
    }

    void disabledComboHasAPaleFrameAndGreyArrow() {
        auto* c1 = add(new QComboBox, "C1", QRect(10, 10, 120, 22));
        c1->addItem("一");
        c1->setEnabled(false);
        attachAndShow();
        const int bw = painters::comboButtonWidth(c1);
        const int bx = 120 - bw - 1;
        const QImage image = grabbed(c1);
        QCOMPARE(at(image, 0, 0), colors::FramePale);
        QCOMPARE(at(image, bx + halve(bw - 7), 1 + halve(22 - 6)), qRgb(132, 165, 172));
    }

    void listOnlyComboIsAllButtonAndPressesAnywhere() {
        auto* c2 = add(new QComboBox, "C2", QRect(10, 10, 120, 22));
        c2->addItems({"一", "二"});
        attachAndShow();
        QVERIFY(painters::inComboHotZone(c2, QPoint(3, 3)));
        mouse(c2, QEvent::MouseMove, QPoint(3, 3));
        QCOMPARE(intProp(c2, keys::OldState), state::Hover);
        const QImage image = grabbed(c2);
        QCOMPARE(at(image, 0, 0), colors::FrameBlue);
        QCOMPARE(at(image, 1, 1), colors::White);
        c2->move(20, 10); // moving resets the button
        QCOMPARE(intProp(c2, keys::OldState), state::Normal);
    }

    void checkBoxGlyphs() {
        auto* check = add(new QCheckBox("Check1"), "Check1", QRect(10, 10, 120, 22));
        check->setChecked(true);
        attachAndShow();
        const QRect box = indicator(check, QStyle::SE_CheckBoxIndicator);
        const QPoint mark(box.x() + halve(box.width() - 9), box.y() + halve(box.height() - 8));

        QImage image = grabbed(check);
        QCOMPARE(at(image, box.x(), box.y()), colors::FrameBlue);
        QCOMPARE(at(image, box.x() + 1, box.bottom() - 1), colors::White);
        QCOMPARE(at(image, mark.x() + 8, mark.y()), qRgb(84, 183, 29));
        QCOMPARE(at(image, mark.x() + 2, mark.y() + 7), qRgb(53, 145, 2));

        mouse(check, QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(intProp(check, keys::OldState), state::Pressed);
        image = grabbed(check);
        QCOMPARE(at(image, box.x(), box.y()), colors::PressedFrame);
        QVERIFY(at(image, box.x() + 1, box.y() + 1) != colors::White); // the pressed fill

        check->setCheckState(Qt::PartiallyChecked);
        image = grabbed(check);
        QCOMPARE(at(image, box.x() + halve(box.width() - 7), box.y() + halve(box.height() - 7)),
                 qRgb(81, 180, 27));

        check->setCheckState(Qt::Checked);
        check->setEnabled(false);
        image = grabbed(check);
        QCOMPARE(at(image, box.x(), box.y()), colors::FramePale);
        QCOMPARE(at(image, box.x() + 1, box.y() + 1), colors::White);
        QCOMPARE(at(image, mark.x() + 8, mark.y()), qRgb(168, 218, 140));
    }

    void optionGlyphAndTheSiblingRefreshAfterARelease() {
        auto* o1 = add(new QRadioButton("Option1"), "Option1", QRect(10, 10, 120, 22));
        auto* o2 = add(new QRadioButton("Option2"), "Option2", QRect(10, 40, 120, 22));
        auto* check = add(new QCheckBox("Check1"), "Check1", QRect(10, 70, 120, 22));
        o1->setChecked(true);
        attachAndShow();
        const QRect box = indicator(o1, QStyle::SE_RadioButtonIndicator);
        const QPoint dot(box.x() + halve(box.width() - 5), roundHalfEven(box.y() + (box.height() - 5) / 2.0));
        QCOMPARE(at(grabbed(o1), dot.x() + 2, dot.y() + 2), qRgb(79, 177, 25));
        QVERIFY(at(grabbed(o2), dot.x() + 2, dot.y() + 2) != qRgb(79, 177, 25));

        mouse(o2, QEvent::MouseMove, QPoint(3, 3));
        mouse(check, QEvent::MouseMove, QPoint(3, 3));
        QCOMPARE(intProp(o2, keys::OldState), state::Hover);
        QCOMPARE(intProp(check, keys::OldState), state::Hover);
        mouse(o1, QEvent::MouseButtonRelease, QPoint(3, 3), Qt::LeftButton);
        QCOMPARE(intProp(o2, keys::OldState), state::Normal);
        QCOMPARE(intProp(check, keys::OldState), state::Normal);
    }

    void headerItemsHotPressedAndNormal() {
        auto* grid = add(new QTableWidget(3, 3), "Grid1", QRect(10, 10, 330, 150));
        grid->setHorizontalHeaderLabels({"方名", "出处", "主治"});
        attachAndShow();
        QHeaderView* header = grid->horizontalHeader();
        QWidget* viewport = header->viewport();
        QVERIFY(isAttached(header));
        const int left = header->sectionViewportPosition(1);
        const int y = viewport->height() / 2;

        mouse(viewport, QEvent::MouseMove, QPoint(left + 5, y));
        QCOMPARE(intProp(header, keys::HmIndex), 1);
        QImage image = grabbed(viewport);
        QCOMPARE(at(image, left, 5), qRgb(94, 194, 250));
        QVERIFY(at(image, header->sectionViewportPosition(0), 5) != qRgb(94, 194, 250));

        mouse(viewport, QEvent::MouseButtonPress, QPoint(left + 5, y), Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(intProp(header, keys::HdIndex), 1);
        QCOMPARE(at(grabbed(viewport), left, 5), qRgb(72, 176, 240));

        mouse(viewport, QEvent::MouseButtonRelease, QPoint(left + 5, y), Qt::LeftButton);
        QCOMPARE(intProp(header, keys::HdIndex), -1);
        QCOMPARE(intProp(header, keys::HmIndex), 1);

        leave(viewport);
        QCOMPARE(intProp(header, keys::HmIndex), -1);
        QCOMPARE(intProp(header, keys::HdIndex), -1);
        image = grabbed(viewport);
        QVERIFY(at(image, left, 5) != qRgb(94, 194, 250));
        QVERIFY(at(image, left, 5) != qRgb(72, 176, 240));
        QCOMPARE(at(image, left + 5, viewport->height() - 1), qRgb(192, 218, 242));
    }

    void progressBarIsFilledByItsFraction() {
        auto* half = add(new QProgressBar, "Progress1", QRect(10, 10, 102, 12));
        half->setRange(0, 30000);
        half->setValue(15000);
        auto* empty = add(new QProgressBar, "Progress2", QRect(10, 30, 102, 12));
        empty->setRange(0, 30000);
        empty->setValue(0);
        auto* percent = add(new QProgressBar, "Progress3", QRect(10, 50, 102, 12));
        percent->setRange(0, 100);
        percent->setValue(50);
        auto* vertical = add(new QProgressBar, "Progress4", QRect(150, 10, 12, 102));
        vertical->setOrientation(Qt::Vertical);
        vertical->setRange(0, 30000);
        vertical->setValue(15000);
        attachAndShow();

        QImage image = grabbed(half);
        QCOMPARE(at(image, 0, 0), colors::FrameBlue);
        QCOMPARE(at(image, 101, 11), colors::FrameBlue);
        QCOMPARE(at(image, 1, 5), colors::BarBlue);
        QCOMPARE(at(image, 50, 5), colors::BarBlue);
        QCOMPARE(at(image, 51, 5), colors::White);
        QCOMPARE(grabbed(percent), image);

        image = grabbed(empty);
        for (int x = 1; x < 101; ++x) {
            QCOMPARE(at(image, x, 5), colors::White);
        }
        image = grabbed(vertical);
        QCOMPARE(at(image, 5, 50), colors::White);
        QCOMPARE(at(image, 5, 51), colors::BarBlue);
        QCOMPARE(at(image, 5, 100), colors::BarBlue);

        QCOMPARE(painters::progressFraction(40000, 0, 30000), 1.0);
        QCOMPARE(painters::progressFraction(5, 10, 10), 0.0);
    }

    void sunkenEdgesBecomeAFlatFrame() {
        auto* text = add(new QLineEdit, "Text1", QRect(10, 10, 120, 22));
        auto* memo = add(new QPlainTextEdit, "text6", QRect(10, 40, 120, 60));
        auto* list = add(new QListWidget, "List1", QRect(150, 10, 120, 80));
        auto* flat = add(new QLineEdit, "Text2", QRect(150, 100, 120, 22));
        flat->setFrame(false);
        attachAndShow();
        QVERIFY(painters::hasSunkenEdge(text));
        QImage image = grabbed(text);
        QCOMPARE(at(image, 0, 0), colors::FrameBlue);
        QCOMPARE(at(image, 60, 21), colors::FrameBlue);
        if (borderWidths(text).bx > 1) {
            QCOMPARE(at(image, 1, 11), text->palette().color(QPalette::Base).rgb());
        }
        image = grabbed(memo);
        QCOMPARE(at(image, 0, 30), colors::FrameBlue);
        image = grabbed(list);
        QCOMPARE(at(image, 0, 0), colors::FrameBlue);
        QCOMPARE(at(image, 1, 1), colors::White);
        QVERIFY(!painters::hasSunkenEdge(flat));
        QVERIFY(at(grabbed(flat), 0, 0) != colors::FrameBlue);

        text->setEnabled(false);
        QCOMPARE(at(grabbed(text), 0, 0), colors::FramePale);
    }

    // The control with the keyboard focus carries a band in the skin's focus colour; it moves with the focus
    // and at twice the pixel density it is twice as many device pixels wide, still sharp.
    void focusMarkFollowsTheFocus() {
        auto* text = add(new QLineEdit, "Text1", QRect(10, 10, 120, 26));
        auto* other = add(new QLineEdit, "Text3", QRect(10, 50, 120, 26));
        auto* panel = add(new QFrame, "Picture5_0", QRect(150, 10, 90, 29));
        panel->setFocusPolicy(Qt::TabFocus);
        auto* combo = add(new QComboBox, "C1", QRect(150, 50, 120, 26));
        combo->setEditable(true);
        auto* list = add(new QListWidget, "List1", QRect(10, 90, 120, 80));
        list->addItems({"一", "二", "三"});
        attachAndShow();
        form->activateWindow();
        QTRY_VERIFY(form->isActiveWindow());

        text->setFocus();
        QTRY_VERIFY(text->hasFocus());
        // Focus alone, before any key: the designed look. A mouse press ends the keyboard's mark again.
        QCOMPARE(at(grabbed(text), 0, 0), colors::FrameBlue);
        QTest::keyClick(text, Qt::Key_Shift);
        QCOMPARE(at(grabbed(text), 0, 0), colors::FrameBlue);
        QTest::keyClick(text, Qt::Key_End);
        QVERIFY(painters::keyboardInUse());
        QCOMPARE(at(grabbed(text), 0, 0), colors::FocusMark);
        QTest::mouseClick(text, Qt::LeftButton);
        QVERIFY(!painters::keyboardInUse());
        QCOMPARE(at(grabbed(text), 0, 0), colors::FrameBlue);
        QTest::keyClick(text, Qt::Key_End);
        QImage image = grabbed(text);
        QCOMPARE(at(image, 0, 0), colors::FocusMark);
        QCOMPARE(at(image, 1, 1), colors::FocusMark);
        QCOMPARE(at(image, 119, 25), colors::FocusMark);
        QVERIFY(at(image, 2, 13) != colors::FocusMark);
        QCOMPARE(at(grabbed(other), 0, 0), colors::FrameBlue);
        QVERIFY(!painters::showsFocusMark(panel));

        QImage dense(QSize(120, 26) * 2, QImage::Format_ARGB32_Premultiplied);
        dense.setDevicePixelRatio(2);
        dense.fill(Qt::black);
        text->render(&dense);
        QCOMPARE(at(dense, 0, 0), colors::FocusMark);
        QCOMPARE(at(dense, 3, 20), colors::FocusMark);
        QVERIFY(at(dense, 4, 26) != colors::FocusMark);

        QTest::keyClick(text, Qt::Key_Tab);
        QTest::keyClick(other, Qt::Key_Tab);
        QTRY_VERIFY(panel->hasFocus());
        QCOMPARE(at(grabbed(panel), 0, 0), colors::FocusMark);
        QCOMPARE(at(grabbed(text), 0, 0), colors::FrameBlue);

        QTest::keyClick(panel, Qt::Key_Tab);
        QTRY_VERIFY(combo->hasFocus() || combo->lineEdit()->hasFocus());
        QVERIFY(painters::showsFocusMark(combo));
        QVERIFY(!painters::showsFocusMark(combo->lineEdit()));
        QCOMPARE(at(grabbed(combo), 0, 0), colors::FocusMark);
        QVERIFY(at(grabbed(panel), 0, 0) != colors::FocusMark);

        // A list: the band runs on inside its thin frame, over the edge of the lines.
        QCOMPARE(at(grabbed(list), 1, 40), colors::White);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY(list->hasFocus());
        QImage marked = grabbed(list);
        QCOMPARE(at(marked, 0, 40), colors::FocusMark);
        QCOMPARE(at(marked, 1, 40), colors::FocusMark);
        QCOMPARE(at(marked, 60, 1), colors::FocusMark);
        QVERIFY(at(marked, 60, 40) != colors::FocusMark);
    }
};

QTEST_MAIN(PaintersTest)
#include "painters_test.moc"
