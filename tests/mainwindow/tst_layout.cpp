// SPDX-License-Identifier: GPL-3.0-or-later

// The window's design and its load handler: controls by name, places, fonts, colours, initial state, group
// pickers and the textbook list at start.
#include "harness.h"
#include "mainwindow/layout.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFrame>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace corvessa;
using namespace corvessa::testsupport;
using mainwindow::background;
using mainwindow::textColour;
namespace colours = mainwindow::colours;

class LayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { initMainWindowTests(); }

    void everyDesignedControlExistsByName() {
        Harness h;
        h.open();
        const QStringList names = {"Picture1", "Picture2", "Image3",   "Label11",  "Image1",   "Picture3",
                                   "Label10",  "Command1", "Command2", "Command3", "Command4", "Command5",
                                   "Label5",   "Text1",    "Label6",   "Text3",    "Label14",  "text6",
                                   "Label7",   "Text4",    "Label8",   "List1",    "List2",    "Text2",
                                   "Label16",  "Label12",  "Text5",    "Label13",  "C1",       "Label4",
                                   "Label15",  "List5",    "List3",    "Dir1",     "Label17",  "Text7"};
        for (const QString& name : names)
            QVERIFY2(h.find(name), qPrintable(name));
        for (int i = 0; i < 5; ++i) {
            for (const char* array : {"Picture4", "Label1", "Label2", "Image2"})
                QVERIFY2(h.find(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(i)), array);
        }
        for (int i = 0; i < 9; ++i) {
            for (const char* array : {"Picture5", "Label3", "Label9"})
                QVERIFY2(h.find(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(i)), array);
        }
        for (int i = 0; i < 3; ++i)
            QVERIFY(h.find(QStringLiteral("Picture6_%1").arg(i)));
        QCOMPARE(h.window().findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 2000);
        QVERIFY(h.window().findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    }

    void windowIsFramelessAndSized() {
        Harness h;
        auto& w = h.open();
        QCOMPARE(w.objectName(), QStringLiteral("Form1"));
        QCOMPARE(w.size(), QSize(1045, 653));
        QCOMPARE(w.windowTitle(), QStringLiteral("Corvessa V2.0"));
        QVERIFY(w.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!w.windowIcon().isNull());
    }

    void placesAreTwipsOverFifteen() {
        Harness h;
        h.open();
        QCOMPARE(h.find("Text1")->geometry(), QRect(48, 84, 253, 29));
        QCOMPARE(h.find("Text3")->geometry(), QRect(48, 116, 253, 29));
        QCOMPARE(h.find("text6")->geometry(), QRect(48, 116, 185, 29));
        QCOMPARE(h.find("Text4")->geometry(), QRect(48, 148, 253, 29));
        QCOMPARE(h.find("Picture5_0")->geometry(), QRect(212, 184, 89, 29));
        QCOMPARE(h.find("Picture5_8")->geometry(), QRect(236, 116, 65, 29));
        QCOMPARE(h.find("Picture6_2")->geometry(), QRect(308, 584, 733, 33));
        QCOMPARE(h.find("Picture6_0")->geometry(), h.find("Picture6_1")->geometry());
        QCOMPARE(h.find("Picture5_7")->geometry(), QRect(456, 0, 89, 29));
        QCOMPARE(h.find("Picture5_2")->geometry(), QRect(116, 0, 125, 29));
        QCOMPARE(h.find("Label3_2")->geometry(), QRect(20, 8, 84, 12));
        QCOMPARE(h.find("Picture4_3")->geometry(), QRect(272, 8, 81, 33));
        QCOMPARE(h.find("Label1_0")->geometry().width(), 52);
        QCOMPARE(h.find("Label1_1")->geometry(), QRect(24, 12, 48, 12));
        // The tutorial tab stands right of the separator line.
        QVERIFY(h.find("Picture4_4")->x() > h.find("Line1")->x());
        QVERIFY(h.find("Picture4_3")->geometry().right() < h.find("Line1")->x());
        // Title bar and tab strip are wider than the window.
        QVERIFY(h.find("Picture2")->width() > 1045);
        QVERIFY(h.find("Picture3")->width() > 1045);
        QCOMPARE(h.find("Image1")->size(), QSize(42, 18));
        QVERIFY(h.find("Image1")->geometry().right() < 1045);
        QCOMPARE(h.find("Image1")->parentWidget(), h.find("Picture2"));
        QCOMPARE(h.find("Label10")->parentWidget(), h.find("Picture3"));
        QCOMPARE(h.find("Text5")->parentWidget(), h.find("Picture6_2"));
        QCOMPARE(h.find("Picture5_1")->parentWidget(), h.find("Picture6_0"));
        QCOMPARE(h.find("Picture5_4")->parentWidget(), h.find("Picture6_1"));
    }

    void captionsAndTexts() {
        Harness h;
        h.open();
        const QStringList tabs = {"中药方剂", "我的收藏", "个人验方", "中药饮片", "操作教程"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(h.label(QStringLiteral("Label1_%1").arg(i))->text(), tabs[i]);
        const QStringList actions = {"查   询", "收   藏", "复制到个人经方", "删   除", "复制到个人经方",
                                     "保   存", "删   除", "添   加",        "编辑分组"};
        for (int i = 0; i < 9; ++i)
            QCOMPARE(h.label(QStringLiteral("Label3_%1").arg(i))->text(), actions[i]);
        QCOMPARE(h.label("Label11")->text(), QStringLiteral("Corvessa V2.0"));
        QCOMPARE(h.label("Label8")->text(), QStringLiteral("多个症状用逗号隔开，如腹痛，呕吐"));
        QCOMPARE(h.label("Label16")->text(), QStringLiteral("提示：点“查询”按钮，可在近十万首方剂中搜索！"));
        QVERIFY(h.label("Label4")->text().startsWith(QStringLiteral("版本：2.0")));
        QCOMPARE(h.find<QPushButton>("Command5")->text(), QStringLiteral("教科书"));
        QCOMPARE(h.find<QPushButton>("Command1")->text(), QStringLiteral("查询"));
    }

    void colours() {
        Harness h;
        h.open();
        QCOMPARE(background(h.find("Picture2")), colours::kTitleBlue);
        QCOMPARE(background(h.find("Picture3")), colours::kPanelGrey);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(background(h.find(QStringLiteral("Picture4_%1").arg(i))), colours::kPanelGrey);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(background(h.find(QStringLiteral("Picture5_%1").arg(i))), colours::kPanelGrey);
        QCOMPARE(textColour(h.label("Label11")), QColor(255, 255, 255));
        QCOMPARE(textColour(h.label("Label8")), QColor(0, 128, 128));
        QCOMPARE(textColour(h.label("Label16")), QColor(255, 0, 0));
        QCOMPARE(textColour(h.label("Label4")), QColor(128, 128, 128));
        QCOMPARE(textColour(h.label("Label10")), QColor(0, 128, 128));
        QCOMPARE(textColour(h.label("Label1_0")), QColor(0, 128, 128));
        QCOMPARE(background(h.find("Picture6_2")), QColor(255, 255, 255));
    }

    void fonts() {
        Harness h;
        h.open();
        for (const char* name : {"Text1", "Text3", "Text4", "Text7", "text6", "Text5", "C1", "Text2",
                                 "Label5", "Label6", "Label7", "Label17", "Label14", "Label12", "Label13"}) {
            const QFont font = h.find(name)->font();
            QCOMPARE(font.family(), QStringLiteral("微软雅黑"));
            QCOMPARE(font.pointSizeF(), 12.0);
        }
        for (const char* name : {"List1", "List2"}) {
            QCOMPARE(h.find(name)->font().family(), QStringLiteral("微软雅黑"));
            QCOMPARE(h.find(name)->font().pointSizeF(), 10.5);
        }
        const QFont selected = h.find("Label1_0")->font();
        QCOMPARE(selected.family(), QStringLiteral("宋体"));
        QCOMPARE(selected.pointSizeF(), 9.0);
        QVERIFY(selected.bold());
        QVERIFY(!h.find("Label1_1")->font().bold());
    }

    void substitutedFontsResolveToAnInstalledFace() {
        Harness h;
        h.open();
        // The Windows faces are absent here; the substitution gives a real CJK face instead of a blank box.
        const QFontInfo info(h.find("Text1")->font());
        QVERIFY(!info.family().isEmpty());
        QVERIFY(QFontMetrics(h.find("Text1")->font()).inFont(QChar(0x4E2D)));
    }

    void loadHandlerState() {
        Harness h;
        auto& w = h.open();
        QCOMPARE(w.currentTab(), 0);
        // The list starts one row lower than designed, under the 组成 row.
        QCOMPARE(h.find("List1")->geometry(), QRect(4, 252, 297, 372));
        QCOMPARE(h.find("Text2")->height(), 489);
        QCOMPARE(h.find("List2")->pos(), QPoint(48, 144));
        for (const char* shown : {"Text3", "Label6", "Text4", "Label7", "Text7", "Label17", "Picture6_0",
                                  "Label16", "Picture5_0"})
            QVERIFY2(!h.find(shown)->isHidden(), shown);
        for (const char* hidden :
             {"text6", "Label14", "Picture6_1", "Picture6_2", "Picture5_8", "List2", "Label15", "List5",
              "List3", "Dir1", "Command1", "Command2", "Command3", "Command4", "Command5"})
            QVERIFY2(h.find(hidden)->isHidden(), hidden);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(h.find<QFrame>(QStringLiteral("Picture4_%1").arg(i))->frameShape(), QFrame::NoFrame);
            QCOMPARE(h.find(QStringLiteral("Label2_%1").arg(i))->pos(), QPoint(0, 0));
        }
        for (int i = 0; i < 9; ++i)
            QCOMPARE(h.find(QStringLiteral("Label9_%1").arg(i))->pos(), QPoint(0, 0));
        QVERIFY(h.resultList()->sizeHintForRow(0) == 22);
        QVERIFY(h.list("List2")->sizeHintForRow(0) == 22);
        QVERIFY(h.messenger().shown().isEmpty());
    }

    void resultListLiesAboveTheSearchButton() {
        Harness h;
        h.open();
        QWidget* body = h.find("Picture1");
        const QObjectList order = body->children();
        QVERIFY(order.indexOf(h.find("List1")) > order.indexOf(h.find("Picture5_0")));
        // Where the list is moved up it covers the button.
        h.clickTab(3);
        const QPoint inButton = h.find("Picture5_0")->geometry().center();
        QCOMPARE(body->childAt(inButton), h.resultList()->viewport());
    }

    void hitAreasCoverTheirControls() {
        Harness h;
        h.open();
        for (int i = 0; i < 9; ++i) {
            QWidget* box = h.find(QStringLiteral("Picture5_%1").arg(i));
            QCOMPARE(box->childAt(box->rect().center()), h.find(QStringLiteral("Label9_%1").arg(i)));
        }
        for (int i = 0; i < 5; ++i) {
            QWidget* tab = h.find(QStringLiteral("Picture4_%1").arg(i));
            QCOMPARE(tab->childAt(QPoint(30, 16)), h.find(QStringLiteral("Label2_%1").arg(i)));
        }
    }

    void catalogueFillsHiddenListAndPicker() {
        Harness h;
        const QStringList catalogue = {"阿素阉妇科补解", "伤寒论", "遵生八笺"};
        h.open(catalogue);
        QCOMPARE(h.lines("List5"), catalogue);
        QCOMPARE(h.lines("List2"), catalogue);
    }

    void groupPickersHoldAllThenStoredGroups() {
        Harness h;
        h.open();
        QStringList expected{QStringLiteral("全部")};
        expected << store::defaultGroups();
        for (const char* name : {"text6", "C1"}) {
            QComboBox* box = h.combo(name);
            QStringList items;
            for (int i = 0; i < box->count(); ++i)
                items << box->itemText(i);
            QCOMPARE(items, expected);
            QVERIFY(box->currentText().isEmpty()); // filled, but nothing chosen yet
        }
    }

    void groupNamesKeptExactlyIncludingBlanksAndDuplicates() {
        Harness h;
        h.db().execPersonal(QStringLiteral("DELETE FROM [分组]"));
        h.db().execPersonal(QStringLiteral("INSERT INTO [分组] VALUES (' 补益剂 '), ('补益剂'), ('补益剂')"));
        h.open();
        QComboBox* box = h.combo("C1");
        QCOMPARE(box->count(), 4);
        QCOMPARE(box->itemText(1), QStringLiteral(" 补益剂 "));
        QCOMPARE(box->itemText(2), QStringLiteral("补益剂"));
        QCOMPARE(box->itemText(3), QStringLiteral("补益剂"));
    }

    void emptyGroupTableLeavesOnlyAll() {
        Harness h;
        h.db().execPersonal(QStringLiteral("DELETE FROM [分组]"));
        h.open();
        QCOMPARE(h.combo("text6")->count(), 1);
        QCOMPARE(h.combo("C1")->count(), 1);
        QCOMPARE(h.combo("C1")->itemText(0), QStringLiteral("全部"));
    }

    void textbookListAtStart() {
        Harness h;
        auto& w = h.open();
        const QStringList lines = h.lines();
        // Ten fixture formulas carry the textbook mark; the list is ordered by name and numbered to two
        // digits.
        QCOMPARE(lines.size(), 10);
        QVERIFY(lines.first().startsWith(QStringLiteral("[01]")));
        QVERIFY(lines.last().startsWith(QStringLiteral("[10]")));
        const QRegularExpression line(QStringLiteral("^\\[\\d\\d\\][^\\[]+\\[注解伤寒论\\]$"));
        for (const QString& text : lines)
            QVERIFY2(line.match(text).hasMatch(), qPrintable(text));
        QVERIFY(lines.join(QString()).contains(QStringLiteral("]桂枝汤[")));
        QCOMPARE(w.currentQuery(),
                 QStringLiteral(
                     "select * from[中药方剂] where [分组] ='1' and [类别] = '中药经方' order by [方名]"));
        QVERIFY(w.selectedRecordKey().isEmpty());
    }

    void unreadablePersonalDatabaseStillOpensWithOneMessage() {
        Harness h;
        h.db().store().closeAll();
        QFile::remove(h.db().personalPath());
        QVERIFY(
            QDir().mkdir(h.db().personalPath())); // a folder where the file should be: it cannot be opened
        auto& w = h.open();
        QCOMPARE(h.messenger().shown().size(), 1);
        QVERIFY(h.messenger().last().contains(QStringLiteral("分组")));
        QCOMPARE(h.combo("C1")->count(), 1);
        QCOMPARE(h.lines().size(), 10); // the textbook list still comes
        QCOMPARE(w.currentTab(), 0);
    }
};

QTEST_MAIN(LayoutTest)
#include "tst_layout.moc"
