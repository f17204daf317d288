// SPDX-License-Identifier: GPL-3.0-or-later

// Push-button states and fades, driven through real events on an offscreen window and checked through the
// properties and through the pixels the button shows.

#include "skin/button.h"
#include "skin/engine.h"
#include "skin/primitives.h"
#include "skin/skin.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <memory>

using namespace corvessa::skin;

namespace {

QImage stateImage(const QPushButton* b, int s) {
    return qvariant_cast<QImage>(b->property(keys::stateImage(s).constData()));
}

QImage shown(QPushButton* b) {
    return b->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage asShown(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void leave(QWidget* w) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(w, &event);
}

void key(QWidget* w, QEvent::Type type, int code) {
    QKeyEvent event(type, code, Qt::NoModifier, code == Qt::Key_Space ? " " : "a");
    QCoreApplication::sendEvent(w, &event);
}

// Delivers fade ticks until the fade timer stops, without running the event loop, and counts the blends.
int runFade(QPushButton* b) {
    int blends = 0;
    while (intProp(b, keys::TimerId) != 0 && blends < 1000) {
        QTimerEvent tick(intProp(b, keys::TimerId));
        QCoreApplication::sendEvent(b, &tick);
        ++blends;
    }
    return blends;
}

QRgb middle(const QImage& image) {
    return image.pixel(image.width() / 2, 3);
}

} // namespace

class PushButtonTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QWidget> form;
    QPushButton* button = nullptr;
    QPushButton* other = nullptr;

private slots:
    void init() {
        form = std::make_unique<QWidget>();
        form->setObjectName("Form1");
        form->resize(200, 100);
        button = new QPushButton("确定", form.get());
        button->setObjectName("Command1");
        button->setGeometry(10, 10, 75, 25);
        other = new QPushButton("取消", form.get());
        other->setObjectName("Command2");
        other->setGeometry(100, 10, 75, 25);
        attachSkin(form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        runFade(button);
        runFade(other);
    }

    void cleanup() {
        form.reset();
        QCOMPARE(attachedCount(), 0);
    }

    void attachedButtonShowsTheNormalImageInsideARoundedClip() {
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
        QCOMPARE(button->mask(), button::roundedRegion(75, 25));
        QVERIFY(!button->mask().contains(QPoint(0, 0)));
        QVERIFY(!button->mask().contains(QPoint(74, 24)));
        QVERIFY(button->mask().contains(QPoint(1, 0)));
        // The four images differ, and only the disabled one has the pale caption.
        const auto hasCaptionColour = [](const QImage& image) {
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if ((image.pixel(x, y) | 0xff000000u) == colors::DisabledCaption) {
                        return true;
                    }
                }
            }
            return false;
        };
        QVERIFY(hasCaptionColour(stateImage(button, state::Disabled)));
        QVERIFY(!hasCaptionColour(stateImage(button, state::Normal)));
        QVERIFY(stateImage(button, 0) != stateImage(button, 1));
        QVERIFY(stateImage(button, 1) != stateImage(button, 2));
    }

    void enteringFadesTheHoverFaceInOver86Blends() {
        mouse(button, QEvent::MouseMove, QPoint(20, 10));
        QCOMPARE(intProp(button, keys::MouseFlag), 1);
        QCOMPARE(intProp(button, keys::OldState), state::Hover);
        QCOMPARE(intProp(button, keys::AlphaLevel), 0);
        QVERIFY(intProp(button, keys::TimerId) != 0);
        const int timer = intProp(button, keys::TimerId);

        // A further move neither restarts the fade nor starts a second timer.
        mouse(button, QEvent::MouseMove, QPoint(21, 10));
        QCOMPARE(intProp(button, keys::TimerId), timer);

        // The first blend is made at opacity 0: nothing changes yet.
        QTimerEvent tick(timer);
        QCoreApplication::sendEvent(button, &tick);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
        QCOMPARE(intProp(button, keys::AlphaLevel), 3);
        const int blends = 1 + runFade(button);
        QCOMPARE(blends, 86);
        QCOMPARE(intProp(button, keys::AlphaLevel), 0);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Hover)));
    }

    void timersThatAreNotTheFadeAreNotTaken() {
        mouse(button, QEvent::MouseMove, QPoint(20, 10));
        const int level = intProp(button, keys::AlphaLevel);
        QTimerEvent foreign(intProp(button, keys::TimerId) + 1000);
        QCoreApplication::sendEvent(button, &foreign);
        QCOMPARE(intProp(button, keys::AlphaLevel), level);
    }

    void leavingLaysHoverOnAt140ThenFadesToNormal() {
        mouse(button, QEvent::MouseMove, QPoint(20, 10)); // entered, but nothing faded in yet
        leave(button);
        QCOMPARE(intProp(button, keys::MouseFlag), 0);
        QCOMPARE(intProp(button, keys::OldState), state::Normal);
        QCOMPARE(intProp(button, keys::AlphaLevel), 0);
        QVERIFY(intProp(button, keys::TimerId) != 0);
        // What is shown is the normal face with the hover face laid over it, somewhere between the two.
        const QRgb normal = middle(stateImage(button, state::Normal));
        const QRgb hover = middle(stateImage(button, state::Hover));
        const QRgb now = middle(shown(button));
        QVERIFY(now != normal && now != hover);
        QVERIFY(qBlue(now) <= qMax(qBlue(normal), qBlue(hover)) &&
                qBlue(now) >= qMin(qBlue(normal), qBlue(hover)));
        QVERIFY(qRed(now) < qRed(normal) && qRed(now) > qRed(hover));
        QCOMPARE(runFade(button), 86);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
    }

    void aLeaveWithoutAnEntryChangesNothing() {
        leave(button);
        QCOMPARE(intProp(button, keys::TimerId), 0);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
    }

    void pressingShowsThePressedFaceAtOnceAndReleasingFadesFrom60() {
        mouse(button, QEvent::MouseMove, QPoint(20, 10));
        mouse(button, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton);
        QCOMPARE(intProp(button, keys::OldState), state::Pressed);
        QCOMPARE(intProp(button, keys::TimerId), 0);
        QCOMPARE(intProp(button, keys::AlphaLevel), 0);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Pressed)));

        mouse(button, QEvent::MouseButtonRelease, QPoint(20, 10), Qt::LeftButton);
        QCOMPARE(intProp(button, keys::OldState), state::Normal);
        QCOMPARE(intProp(button, keys::AlphaLevel), button::ReleaseOpacity);
        QCOMPARE(intProp(button, keys::MouseFlag), 0);
        QCOMPARE(runFade(button), 66);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));

        // The pointer is still there: the next move fades the hover face in again.
        mouse(button, QEvent::MouseMove, QPoint(22, 10));
        QCOMPARE(intProp(button, keys::OldState), state::Hover);
        QVERIFY(intProp(button, keys::TimerId) != 0);
    }

    void draggingOffAPressedButtonShowsItsStateAtOnce() {
        mouse(button, QEvent::MouseMove, QPoint(20, 10));
        mouse(button, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton);
        QMouseEvent drag(QEvent::MouseMove, QPointF(200, 10), QPointF(200, 10), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(button, &drag);
        QCOMPARE(intProp(button, keys::TimerId), 0);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Pressed)));
    }

    void spaceBarPressesLikeTheMouseAndOtherKeysDoNothing() {
        key(button, QEvent::KeyPress, Qt::Key_A);
        QCOMPARE(intProp(button, keys::OldState), state::Normal);
        QCOMPARE(intProp(button, keys::TimerId), 0);
        key(button, QEvent::KeyPress, Qt::Key_Space);
        QCOMPARE(intProp(button, keys::OldState), state::Pressed);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Pressed)));
        key(button, QEvent::KeyRelease, Qt::Key_Space);
        QCOMPARE(intProp(button, keys::OldState), state::Normal);
        QCOMPARE(intProp(button, keys::AlphaLevel), 0);
        QCOMPARE(runFade(button), 86);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
    }

    void focusRendersTheImagesAnewWithAFocusRectangle() {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        runFade(button);
        const QImage before = stateImage(button, state::Normal);
        QVERIFY((before.pixel(2, 2) | 0xff000000u) != colors::Black); // no dots without focus
        button->setFocus();
        QTRY_VERIFY(button->hasFocus());
        const QImage focused = stateImage(button, state::Normal);
        QVERIFY(focused != before);
        QCOMPARE(focused.pixel(2, 2) | 0xff000000u, colors::Black); // first dot of the inset rectangle
        QVERIFY(intProp(button, keys::TimerId) != 0);
        QCOMPARE(runFade(button), 86);
        QCOMPARE(shown(button), asShown(focused));

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QCOMPARE(stateImage(button, state::Normal), before);
    }

    void disablingShowsTheDisabledFaceAndEnablingTheNormalOne() {
        button->setEnabled(false);
        QCOMPARE(intProp(button, keys::OldState), state::Disabled);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Disabled)));
        button->setEnabled(true);
        QCOMPARE(intProp(button, keys::OldState), state::Normal);
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
    }

    void resizingRendersAllImagesAtTheNewSize() {
        button->resize(100, 30);
        for (int s = 0; s < 4; ++s) {
            QCOMPARE(stateImage(button, s).deviceIndependentSize().toSize(), QSize(100, 30));
        }
        QCOMPARE(button->mask(), button::roundedRegion(100, 30));
        QCOMPARE(shown(button), asShown(stateImage(button, state::Normal)));
    }

    void aNewCaptionIsRenderedAtTheNextPaint() {
        const QImage before = stateImage(button, state::Normal);
        button->setText("删除");
        const QImage after = shown(button);
        QVERIFY(after != asShown(before));
        QCOMPARE(after, asShown(stateImage(button, state::Normal)));
    }

    void selfDrawnButtonsLookExactlyAsWithoutTheEngine() {
        QWidget plainForm;
        auto* flat = new QPushButton("平", &plainForm);
        flat->setFlat(true);
        flat->setGeometry(0, 0, 60, 24);
        auto* sheet = new QPushButton("样", &plainForm);
        sheet->setStyleSheet("background: red");
        sheet->setGeometry(0, 30, 60, 24);
        const QImage flatBefore = flat->grab().toImage();
        const QImage sheetBefore = sheet->grab().toImage();
        attachSkin(&plainForm);
        QCOMPARE(intProp(flat, keys::OldStyle) & button::SelfDrawnBits, button::StyleFlat);
        QCOMPARE(intProp(sheet, keys::OldStyle) & button::SelfDrawnBits, button::StyleOwnSheet);
        QVERIFY(flat->mask().isEmpty());
        QCOMPARE(flat->grab().toImage(), flatBefore);
        QCOMPARE(sheet->grab().toImage(), sheetBefore);
        // Flags still follow the pointer; nothing is blended onto the button.
        mouse(flat, QEvent::MouseMove, QPoint(5, 5));
        QCOMPARE(intProp(flat, keys::OldState), state::Hover);
        runFade(flat);
        QCOMPARE(flat->grab().toImage(), flatBefore);
        detachWindow(&plainForm);
        QCOMPARE(flat->grab().toImage(), flatBefore);
    }

    void detachingStopsTheFadeAndGivesTheButtonItsOwnLook() {
        QWidget plainForm;
        auto* b = new QPushButton("确定", &plainForm);
        b->setGeometry(0, 0, 75, 25);
        const QImage own = b->grab().toImage();
        attachSkin(&plainForm);
        QVERIFY(b->grab().toImage() != own);
        mouse(b, QEvent::MouseMove, QPoint(5, 5));
        QVERIFY(intProp(b, keys::TimerId) != 0);
        detachWindow(&plainForm);
        QVERIFY(b->dynamicPropertyNames().isEmpty());
        QCOMPARE(b->grab().toImage(), own);
    }
};

QTEST_MAIN(PushButtonTest)
#include "pushbutton_test.moc"
