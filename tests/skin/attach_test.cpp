// SPDX-License-Identifier: GPL-3.0-or-later

// Attachment and registry of skinned windows, on real widgets (offscreen).

#include "skin/engine.h"
#include "skin/skin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace corvessa::skin;

namespace {

class ResultList : public QListWidget {
    Q_OBJECT
};

// A form with nested containers and one control of each kind.
std::unique_ptr<QWidget> makeForm() {
    auto form = std::make_unique<QWidget>();
    form->setObjectName("Form1");
    auto* outer = new QVBoxLayout(form.get());
    auto* panel = new QFrame;
    panel->setObjectName("Picture1");
    auto* inner = new QVBoxLayout(panel);
    auto* command = new QPushButton("确定");
    command->setObjectName("Command1");
    auto* text = new QLineEdit;
    text->setObjectName("Text1");
    auto* combo = new QComboBox;
    combo->setObjectName("C1");
    combo->addItems({"一", "二"});
    auto* check = new QCheckBox("Check1");
    check->setObjectName("Check1");
    auto* nested = new QWidget;
    nested->setObjectName("Picture2");
    auto* nestedLayout = new QVBoxLayout(nested);
    auto* option = new QRadioButton("Option1");
    option->setObjectName("Option1");
    nestedLayout->addWidget(option);
    inner->addWidget(command);
    inner->addWidget(text);
    inner->addWidget(combo);
    inner->addWidget(check);
    inner->addWidget(nested);
    auto* list = new QListWidget;
    list->setObjectName("List1");
    outer->addWidget(panel);
    outer->addWidget(list);
    return form;
}

QList<QWidget*> descendantsOf(QWidget* form) {
    return form->findChildren<QWidget*>();
}

} // namespace

class AttachTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(attachedCount(), 0); }

    void kindsComeFromTheClassChain() {
        QWidget top;
        QCOMPARE(classKind(&top), Kind::Form);
        auto* label = new QLabel(&top);
        QCOMPARE(classKind(label), Kind::Other);
        QCOMPARE(classKind(new QPushButton(&top)), Kind::PushButton);
        QCOMPARE(classKind(new QComboBox(&top)), Kind::ComboBox);
        QCOMPARE(classKind(new QCheckBox(&top)), Kind::CheckBox);
        QCOMPARE(classKind(new QRadioButton(&top)), Kind::OptionButton);
        QCOMPARE(classKind(new QProgressBar(&top)), Kind::ProgressBar);
        QCOMPARE(classKind(new QHeaderView(Qt::Horizontal, &top)), Kind::Header);
        QCOMPARE(classKind(new ResultList), Kind::DataList); // a program's own list keeps the list look
        QCOMPARE(classKind(new QTableWidget(&top)), Kind::Grid);
        QMessageBox box;
        QCOMPARE(classKind(&box), Kind::Form);
        QCOMPARE(className(label), QByteArray("qlabel"));
    }

    void attachingAFormAttachesEveryDescendantOncePerWindow() {
        auto form = makeForm();
        const auto children = descendantsOf(form.get());
        QCOMPARE(attachSkin(form.get()), 1);
        QCOMPARE(attachedCount(), children.size() + 1);
        QVERIFY(isAttached(form.get()));
        for (QWidget* child : children) {
            QVERIFY2(isAttached(child), child->metaObject()->className());
        }
        QVERIFY(skinImages() != nullptr);

        // Attaching again, the form or any control on it, changes nothing.
        QCOMPARE(attachSkin(form.get()), 0);
        QCOMPARE(attachWindow(form->findChild<QWidget*>("Command1")), 0);
        QCOMPARE(attachedCount(), children.size() + 1);
        QCOMPARE(attachSkin(nullptr), 0);
        QVERIFY(!detachWindow(nullptr));

        QVERIFY(detachWindow(form.get()));
        QVERIFY(!detachWindow(form.get()));
    }

    void propertiesByKind() {
        auto form = makeForm();
        attachSkin(form.get());
        auto* command = form->findChild<QPushButton*>("Command1");
        QCOMPARE(intProp(command, keys::OldState), state::Normal);
        QCOMPARE(intProp(command, keys::AlphaLevel), 0);
        QCOMPARE(intProp(command, keys::TimerId), 0);
        QVERIFY(command->property(keys::MouseFlag).isValid());
        QVERIFY(command->property(keys::OldStyle).isValid());
        // Images are rendered once the button is shown at its laid-out size.
        QVERIFY(!command->property(keys::stateImage(0).constData()).isValid());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        for (int s = 0; s < 4; ++s) {
            const QImage image = qvariant_cast<QImage>(command->property(keys::stateImage(s).constData()));
            QCOMPARE(image.deviceIndependentSize().toSize(), command->size());
        }
        QVERIFY(!command->mask().isEmpty());
        QVERIFY(command->hasMouseTracking());
        for (const char* name : {"C1", "Check1", "Option1"}) {
            auto* w = form->findChild<QWidget*>(name);
            QVERIFY(w->property(keys::OldState).isValid());
            QVERIFY(w->property(keys::MouseFlag).isValid());
        }
        auto* list = form->findChild<QWidget*>("List1");
        QVERIFY(!list->property(keys::OldState).isValid());
        form.reset();
    }

    void disabledButtonStartsDisabled() {
        QWidget form;
        auto* b = new QPushButton("x", &form);
        b->setEnabled(false);
        attachSkin(&form);
        QCOMPARE(intProp(b, keys::OldState), state::Disabled);
        detachWindow(&form);
    }

    void detachingRestoresEachControlAndRemovesEveryProperty() {
        auto form = makeForm();
        form->findChild<QListWidget*>("List1")->setMouseTracking(true); // set by its owner, must stay
        attachSkin(form.get());
        auto* command = form->findChild<QPushButton*>("Command1");
        QVERIFY(detachWindow(form.get()));
        QCOMPARE(attachedCount(), 0);
        QList<QWidget*> all = descendantsOf(form.get());
        all << form.get();
        for (QWidget* w : all) {
            QVERIFY2(w->dynamicPropertyNames().isEmpty(), w->metaObject()->className());
        }
        QVERIFY(command->mask().isEmpty());
        QVERIFY(!command->hasMouseTracking());
        QVERIFY(form->findChild<QListWidget*>("List1")->hasMouseTracking());

        // The engine no longer sees the button's events.
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(command, &move);
        QVERIFY(!command->property(keys::MouseFlag).isValid());
    }

    void sharedImagesLiveWhileAnyWindowIsAttached() {
        auto first = makeForm();
        auto second = makeForm();
        QVERIFY(skinImages() == nullptr);
        attachSkin(first.get());
        attachSkin(second.get());
        detachWindow(first.get());
        QVERIFY(skinImages() != nullptr);
        detachWindow(second.get());
        QVERIFY(skinImages() == nullptr);
        attachSkin(first.get());
        QVERIFY(skinImages() != nullptr);

        // Destroying the last attached window releases them as well.
        first.reset();
        QCOMPARE(attachedCount(), 0);
        QVERIFY(skinImages() == nullptr);
    }

    void destroyingOneControlLeavesTheCount() {
        auto form = makeForm();
        attachSkin(form.get());
        const int before = attachedCount();
        delete form->findChild<QCheckBox*>("Check1");
        QCOMPARE(attachedCount(), before - 1);
        detachWindow(form.get());
    }

    void messageBoxOverASkinnedWindowIsSkinned() {
        auto form = makeForm();
        attachSkin(form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* box = new QMessageBox(QMessageBox::NoIcon, "提示", "已收藏！", QMessageBox::Ok, form.get());
        box->setObjectName("MessageBox");
        box->show();
        QTRY_VERIFY(isAttached(box));
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        QVERIFY(isAttached(ok));
        QVERIFY(ok->property(keys::stateImage(0).constData()).isValid());
        box->hide();
        form.reset(); // destroys the box with its form
        QCOMPARE(attachedCount(), 0);
    }

    void dialogOverAnUnskinnedWindowIsLeftAlone() {
        auto skinned = makeForm();
        attachSkin(skinned.get());
        QWidget plain;
        QMessageBox box(QMessageBox::NoIcon, "提示", "text", QMessageBox::Ok, &plain);
        box.show();
        QTest::qWait(0);
        QVERIFY(!isAttached(&box));
        box.hide();
        detachWindow(skinned.get());
    }

    void controlsAddedLaterAreAttachedWhenShown() {
        auto form = makeForm();
        attachSkin(form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* late = new QPushButton("later", form.get());
        late->setObjectName("Command9");
        late->show();
        QTRY_VERIFY(isAttached(late));
        QVERIFY(late->property(keys::stateImage(1).constData()).isValid());
        form.reset();
        QCOMPARE(attachedCount(), 0);
    }

    void comboDropDownListIsAttachedWhenFirstShown() {
        auto form = makeForm();
        attachSkin(form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* combo = form->findChild<QComboBox*>("C1");
        combo->showPopup();
        QWidget* container = combo->view()->window();
        QVERIFY(container != form.get());
        QTRY_VERIFY(isAttached(container));
        QVERIFY(isAttached(combo->view()));
        QCOMPARE(classKind(container), Kind::DropDownList);
        combo->grab(); // painting while open shows the pressed button
        QCOMPARE(intProp(combo, keys::OldState), state::Pressed);
        combo->hidePopup();
        QTRY_COMPARE(intProp(combo, keys::OldState), state::Normal);
        form.reset();
        QCOMPARE(attachedCount(), 0);
    }
};

QTEST_MAIN(AttachTest)
#include "attach_test.moc"
