// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "fixture.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/messenger.h"
#include "scriptedmessenger.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QUrl>
#include <memory>

namespace corvessa::testsupport {

// The main window with its two ways out of the process (browser, window-system move) captured.
class TestMainWindow : public mainwindow::MainWindow {
public:
    using MainWindow::MainWindow;

    QList<QUrl> opened;
    int moves = 0;
    QList<int> actions;

    void runAction(int index) override {
        actions.append(index);
        MainWindow::runAction(index);
    }

protected:
    void openUrl(const QUrl& url) override { opened.append(url); }
    void startWindowMove() override { ++moves; }
};

// A fixture data folder, a scripted messenger and the main window over them.
class Harness {
public:
    explicit Harness(const QString& libraryJsonl = FixtureDatabases::defaultLibraryJsonl());

    // Creates the window (its load handler runs now); set up the databases before.
    TestMainWindow& open(const QStringList& catalogue = fixtureCatalogue());

    FixtureDatabases& db() { return m_db; }
    mainwindow::ScriptedMessenger& messenger() { return m_messenger; }
    TestMainWindow& window() { return *m_window; }

    template <class T = QWidget> T* find(const QString& name) const { return m_window->findChild<T*>(name); }
    QLineEdit* edit(const QString& name) const { return find<QLineEdit>(name); }
    QListWidget* list(const QString& name) const { return find<QListWidget>(name); }
    // The result list, a view over the lines of the last search.
    QListView* resultList() const { return find<QListView>(QStringLiteral("List1")); }
    int lineCount() const { return resultList()->model()->rowCount(); }
    QComboBox* combo(const QString& name) const { return find<QComboBox>(name); }
    QLabel* label(const QString& name) const { return find<QLabel>(name); }
    QPlainTextEdit* detail() const { return find<QPlainTextEdit>(QStringLiteral("Text2")); }

    QStringList lines(const QString& name = QStringLiteral("List1")) const;
    // Selects a line of the result list as a click would.
    void selectLine(int row);
    // Presses and releases a tab or an action button through its hit area, with the given mouse button.
    void clickTab(int tab, Qt::MouseButton button = Qt::LeftButton);
    void clickAction(int index, Qt::MouseButton button = Qt::LeftButton);
    void pressEnter(QWidget* widget);
    // Types text key by key as the keyboard would (keyClicks takes Latin-1 only).
    static void type(QWidget* widget, const QString& text);

    // Adds one record to the personal database; `content` is the readable text, stored scrambled.
    void addPersonal(const QString& name, const QString& category, const QString& key,
                     const QString& content = QStringLiteral("【组成】甘草"),
                     const QVariant& group = QString(), const QVariant& source = QString(),
                     const QVariant& indications = QString());
    // Adds `count` personal records named prefix00001, prefix00002, ... in one statement.
    void addManyPersonal(int count, const QString& prefix, const QString& category);

    static QStringList fixtureCatalogue();
    static QString fixturePath(const QString& name);

private:
    FixtureDatabases m_db;
    mainwindow::ScriptedMessenger m_messenger;
    std::unique_ptr<TestMainWindow> m_window;
};

// Runs every test with the program's font substitutions, as the program does.
void initMainWindowTests();

} // namespace corvessa::testsupport
