// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace corvessa::store {
class Store;
}
namespace corvessa::mainwindow {
class Messenger;
}

namespace corvessa::groupeditor {

// The groups a save stores: the editor's text split into lines at "\n" (a QPlainTextEdit gives every line
// break, however it was typed or pasted, as "\n"), without the lines that are empty or hold only white space.
// The lines kept are exactly as typed, with their blanks; duplicates stay.
QStringList groupsFromText(const QString& text);

// The editor's text for the stored groups: every group followed by one line break, the last one included, so
// the caret placed at the end stands on a fresh line.
QString textFromGroups(const QStringList& groups);

// The group editor window (Form2): the groups of the personal database as text, one per line. Modeless and
// frameless; it deletes itself when closed. It announces the groups of a committed save with groupsSaved();
// whoever opened it refills its group pickers from there. Escape closes it without saving, as its close
// image does.
class GroupEditor : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs its load: attaches the skin, places the window, reads the groups. A failed
    // read leaves isLoaded() false, the reason in loadFailure() and the save disabled, so an empty text can
    // never be saved over groups that merely could not be read.
    GroupEditor(store::Store& store, mainwindow::Messenger& messenger, QWidget* parent = nullptr);

    // What the main window's "编辑分组" button calls: shows the open group editor if there is one (modeless,
    // like the one window of that name it stands for), else builds and shows a new one. When the groups
    // cannot be read, the user is told and no window appears; the result is then null.
    static GroupEditor* open(store::Store& store, mainwindow::Messenger& messenger,
                             QWidget* parent = nullptr);

    bool isLoaded() const { return m_loaded; }
    const QString& loadFailure() const { return m_loadFailure; }

    // The save button: replaces table 分组 with the groups of the text in one transaction, emits
    // groupsSaved() and closes. When the database refuses any part of it, the table keeps its old groups, the
    // user is told why, and the window stays open with the text as typed. Returns whether the groups were
    // saved.
    bool save();

    QPlainTextEdit* textBox() const { return m_text1; }

signals:
    // The groups just committed to table 分组, in their stored order.
    void groupsSaved(const QStringList& groups);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands the window to the window system for a move while the left button is held. Tests override it.
    virtual void startWindowMove();

private:
    void buildControls();
    void load();
    void placeOnScreen();
    void writeGroups(const QStringList& groups);

    store::Store& m_store;
    mainwindow::Messenger& m_messenger;
    bool m_loaded = false;
    QString m_loadFailure;

    QWidget* m_picture2 = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_image3 = nullptr;
    QLabel* m_image1 = nullptr;
    QWidget* m_picture1 = nullptr;
    QPlainTextEdit* m_text1 = nullptr;
    QLabel* m_label1 = nullptr;
    QPushButton* m_command1 = nullptr;
    bool m_closePressed = false;
};

} // namespace corvessa::groupeditor
