// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessibility.h"

#include "keyboard.h"
#include "layout.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

namespace {

// The dynamic property that marks a panel standing in for a button or a tab; its value is the role.
constexpr char kRoleProperty[] = "corvessaAccessibleRole";

class PressablePanel : public QAccessibleWidget {
public:
    PressablePanel(QWidget* panel, QAccessible::Role role) : QAccessibleWidget(panel, role) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        // The same path as Enter on the focused panel, so a screen reader presses exactly what a key does.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &press);
    }
};

QAccessibleInterface* panelFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QFrame") || !object || !object->isWidgetType())
        return nullptr;
    const QVariant role = object->property(kRoleProperty);
    if (!role.isValid())
        return nullptr;
    return new PressablePanel(static_cast<QWidget*>(object), QAccessible::Role(role.toInt()));
}

void installFactoryOnce() {
    static const bool installed = [] {
        QAccessible::installFactory(panelFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void name(QWidget* widget, const QString& accessibleName, const QString& description = QString()) {
    widget->setAccessibleName(accessibleName);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

} // namespace

void presentAsButton(QWidget* panel) {
    installFactoryOnce();
    panel->setProperty(kRoleProperty, int(QAccessible::Button));
}

void presentAsTab(QWidget* panel) {
    installFactoryOnce();
    panel->setProperty(kRoleProperty, int(QAccessible::PageTab));
}

void nameForScreenReaders(const Form1Controls& ui) {
    name(ui.text1, QStringLiteral("名称"), QStringLiteral("方剂名称，按回车查询"));
    name(ui.text3, QStringLiteral("出处"), QStringLiteral("出处书名，按下箭头从书目中选择，按回车查询"));
    name(ui.text4, QStringLiteral("主治"), ui.label8->text());
    name(ui.text7, QStringLiteral("组成"),
         QStringLiteral("方剂组成中的药名，最多五味，用逗号、空格、顿号或句号分开，按回车查询"));
    name(ui.text6, QStringLiteral("分组"), QStringLiteral("按分组列出个人验方"));
    name(ui.list1, QStringLiteral("查询结果"), QStringLiteral("方剂列表，用方向键选择一条，内容显示在右侧"));
    name(ui.list2, QStringLiteral("出处书目"), QStringLiteral("按回车选用所选书名，按 Esc 关闭"));
    name(ui.text2, QStringLiteral("方剂内容"), QStringLiteral("所选方剂的全文；在个人验方中可以编辑"));
    name(ui.text5, QStringLiteral("名称"), QStringLiteral("个人验方的方剂名称"));
    name(ui.c1, QStringLiteral("分组"), QStringLiteral("个人验方所属的分组，可以选择或输入"));
    name(ui.label16, ui.label16->text());
    name(ui.label10, ui.label10->text(), QStringLiteral("点击打开网页"));
    name(ui.label4, ui.label4->text(), QStringLiteral("点击打开网页"));
    name(ui.image1, QStringLiteral("关闭"), QStringLiteral("关闭程序"));
    name(ui.picture2, QStringLiteral("标题栏"));
    name(ui.picture3, QStringLiteral("标签栏"));

    for (int i = 0; i < kTabCount; ++i) {
        QFrame* tab = ui.picture4[size_t(i)];
        presentAsTab(tab);
        name(tab, ui.label1[size_t(i)]->text(), tab->toolTip());
    }
    for (int i = 0; i < kActionCount; ++i) {
        QFrame* button = ui.picture5[size_t(i)];
        presentAsButton(button);
        name(button, plainCaption(ui.label3[size_t(i)]->text()), button->toolTip());
    }
}

} // namespace corvessa::mainwindow
