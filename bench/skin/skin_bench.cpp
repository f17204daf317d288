// SPDX-License-Identifier: GPL-3.0-or-later

// Benchmarks of the skinning engine: one fade step of a push button, one repaint of a combo box, and the cost
// that attaching adds to opening a window with many controls.
//
//   QT_QPA_PLATFORM=offscreen ./bench/skin/skin_bench

#include "skin/button.h"
#include "skin/engine.h"
#include "skin/skin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimerEvent>
#include <memory>

using namespace corvessa::skin;

namespace {

// A window of the size and make-up of the program's main window: about fifty controls.
std::unique_ptr<QWidget> makeWindow() {
    auto window = std::make_unique<QWidget>();
    window->resize(780, 560);
    auto* grid = new QGridLayout(window.get());
    for (int i = 0; i < 12; ++i) {
        grid->addWidget(new QPushButton(QStringLiteral("按钮%1").arg(i)), i, 0);
        grid->addWidget(new QLineEdit, i, 1);
        grid->addWidget(new QLabel(QStringLiteral("标签%1").arg(i)), i, 2);
        if (i % 3 == 0) {
            auto* combo = new QComboBox;
            combo->addItems({"一", "二", "三"});
            grid->addWidget(combo, i, 3);
        } else {
            grid->addWidget(new QCheckBox(QStringLiteral("选项%1").arg(i)), i, 3);
        }
    }
    grid->addWidget(new QListWidget, 0, 4, 12, 1);
    return window;
}

} // namespace

class SkinBench : public QObject {
    Q_OBJECT

private slots:
    void fadeStep() {
        QWidget form;
        auto* b = new QPushButton("确定", &form);
        b->setGeometry(0, 0, 75, 25);
        attachSkin(&form);
        // Keep a fade running and deliver its ticks directly; each one is a single blend of a ready image.
        setProp(b, keys::OldState, state::Hover);
        QBENCHMARK {
            if (intProp(b, keys::TimerId) == 0) {
                button::startFade(b);
            }
            QTimerEvent tick(intProp(b, keys::TimerId));
            QCoreApplication::sendEvent(b, &tick);
        }
        detachWindow(&form);
    }

    void comboRepaint() {
        QWidget form;
        auto* combo = new QComboBox(&form);
        combo->setEditable(true);
        combo->addItems({"一", "二"});
        combo->setGeometry(0, 0, 160, 22);
        attachSkin(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QBENCHMARK {
            combo->repaint();
        }
        detachWindow(&form);
    }

    void comboRepaintWithoutEngine() {
        QWidget form;
        auto* combo = new QComboBox(&form);
        combo->setEditable(true);
        combo->addItems({"一", "二"});
        combo->setGeometry(0, 0, 160, 22);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QBENCHMARK {
            combo->repaint();
        }
    }

    void openWindow_data() {
        QTest::addColumn<bool>("skinned");
        QTest::newRow("without engine") << false;
        QTest::newRow("with engine") << true;
    }
    void openWindow() {
        QFETCH(bool, skinned);
        QBENCHMARK {
            auto window = makeWindow();
            if (skinned) {
                attachSkin(window.get());
            }
            window->show();
            window->grab(); // one full paint, as the first expose does
        }
    }
};

QTEST_MAIN(SkinBench)
#include "skin_bench.moc"
