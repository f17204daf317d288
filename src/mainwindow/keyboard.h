// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>
#include <array>

class QAction;
class QKeySequence;
class QWidget;

namespace corvessa::mainwindow {

class MainWindow;
struct Form1Controls;

// The window without a mouse. Every tab and action button takes the focus by Tab and reacts to Enter and
// Space; the actions and the tabs have shortcuts, shown in their tooltips; Ctrl+F goes to 名称, F1 opens the
// tutorial page and Escape closes the source picker. The designed mouse handling is left as it is: tabs and
// action buttons take the focus by keyboard only, so a click never moves the focus.
class KeyboardNavigation : public QObject {
    Q_OBJECT
public:
    KeyboardNavigation(MainWindow& window, const Form1Controls& ui);

    // The window's keyboard commands, by objectName ("actionFavourite", "actionTab2", ...).
    QAction* action(const QString& objectName) const;

    // The shortcut of each action button (an empty sequence for none), as shown in its tooltip.
    static QKeySequence shortcutOf(int actionIndex);

    // Follows a change of mode: the 查询 button lies under the result list on the last two modes and is then
    // no place for the focus.
    void followMode(int mode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addCommand(const char* name, const QString& text, const QKeySequence& key);
    void buildCommands();
    void setFocusOrder();
    // Runs an action button as a click would, when it is shown on the current tab.
    bool runIfShown(int actionIndex);
    void selectTabByKey(int tab);
    void keepFocusVisible();

    bool tabKey(int tab, QEvent* event);
    bool actionKey(int index, QEvent* event);

    MainWindow& m_window;
    const Form1Controls& m_ui;
};

// A control's caption without the blanks that space out the two-character button captions.
QString plainCaption(const QString& caption);

} // namespace corvessa::mainwindow
