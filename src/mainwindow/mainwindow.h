// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "layout.h"
#include "search.h"
#include "store/records.h"

#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>

class QSettings;

namespace corvessa::store {
class Store;
}

namespace corvessa::mainwindow {

class KeyboardNavigation;
class Messenger;
class ViewZoom;
class WindowDragFilter;

// The modes of the window; the current tab holds one of them.
enum Mode { kModeLibrary = 0, kModeFavourites = 1, kModePersonal = 2, kModeHerbs = 3 };

// What the window remembers between two events. The selected record key lives in the caption of the hidden
// Label15 (see MainWindow::selectedRecordKey), as the actions and the editor read it from there.
struct MainWindowState {
    int currentTab = kModeLibrary;
    QString currentQuery; // the SQL text of the last search that filled the result list, as it was run
    int selectedRow = 0;  // 0-based line of the result list last selected; any line position fits
};

// The program's one long-lived window (Form1): title bar, tab strip, search fields, result list, detail view,
// action buttons and the personal editor fields. The handlers are spread over one file per concern:
// layout.cpp (the design), setup.cpp (the load handler), search.cpp (searches and the source picker),
// detailview.cpp (the record behind a line), tabs.cpp (tabs and window chrome), actions.cpp (the buttons).
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(store::Store& store, Messenger& messenger, const QStringList& sourceCatalogue,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Every control, by its designed name.
    const Form1Controls& controls() const { return m_ui; }
    MainWindowState& state() { return m_state; }
    const MainWindowState& state() const { return m_state; }
    int currentTab() const { return m_state.currentTab; }
    const QString& currentQuery() const { return m_state.currentQuery; }
    int selectedRow() const { return m_state.selectedRow; }
    QString selectedRecordKey() const;
    void setSelectedRecordKey(const QString& key);

    // Searches (search.cpp). The library search is the general entry: on tabs 2 and 3 it runs that tab's own.
    void librarySearch();
    void textbookList();
    void herbalSearch();
    void personalSearch();
    void hideSourcePicker();

    // Result list and detail view (detailview.cpp): shows the record behind the selected line.
    void showSelectedRecord();

    // Tabs and chrome (tabs.cpp).
    void pressTab(int tab);
    void selectTab(int tab);
    void arrangeForMode(int mode);
    void blinkAdvertisement();
    void openNewsPage();
    void openTutorialPage();
    void openAboutPage();

    // Action buttons (actions.cpp): press paints the box, release paints it back, hides the source picker and
    // runs the operation of that index through runAction().
    void pressAction(int index);
    void releaseAction(int index);
    // The one dispatcher of the nine action buttons; index 0 runs the library search.
    virtual void runAction(int index);
    // The save of the personal editor (hidden button Command4 and action 5).
    virtual void savePersonalRecord();
    // Record actions (recordactions.cpp).
    void copyShownRecord(int fromTab, const QString& category, const QString& doneText);
    void deleteShownRecord(const QString& category);
    void clearEditor();
    // The group editor is another window; whoever builds both says how to open it.
    void setGroupEditorOpener(std::function<void()> open);
    void openGroupEditor();
    // Refills both group pickers with "全部" and these groups (after the group editor saved them).
    void setGroups(const QStringList& groups);

    // The size of the text in the detail view and the result list, kept in `settings` (null: not kept).
    void useViewSettings(QSettings* settings);
    ViewZoom& zoom() const { return *m_zoom; }
    KeyboardNavigation& keyboard() const { return *m_keyboard; }

    // The record the detail view shows, as plain text: name, source and indications where it has them, then
    // its full text as shown. Empty when no record is shown.
    QString wholeRecordText() const;

signals:
    // Emitted once when the window is about to close, whichever way it is closed; the exit work hangs here.
    void closing();
    // The controls were arranged for a mode (after a tab selection).
    void modeArranged(int mode);
    // Emitted after a mode tab (0 to 3) has been selected and its list filled.
    void modeSelected(int mode);

protected:
    // Opens a decoded page address in the user's browser. Tests override it to capture the address.
    virtual void openUrl(const QUrl& url);
    // Hands the window to the window system for a move while the left button is held.
    virtual void startWindowMove();

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Runs one step of a handler that chains several; a failure of the step is reported and the next goes on.
    void attempt(const std::function<void()>& step);
    // A failure to show the user. Inside a ReportScope only the first one is shown, when the scope ends, so
    // one user action never piles up several boxes.
    void reportFailure(const QString& text);
    class ReportScope {
    public:
        explicit ReportScope(MainWindow& window);
        ~ReportScope();
        ReportScope(const ReportScope&) = delete;
        ReportScope& operator=(const ReportScope&) = delete;

    private:
        MainWindow& m_window;
    };

    store::Store& m_store;
    Messenger& m_messenger;
    Form1Controls m_ui;
    MainWindowState m_state;

private:
    friend class WindowDragFilter;

    void loadHandler();
    void connectSearchTriggers();
    void installInputFilters();
    bool searchEventFilter(QObject* watched, QEvent* event);
    bool chromeEventFilter(QObject* watched, QEvent* event);
    bool actionEventFilter(QObject* watched, QEvent* event);

    // Search helpers (search.cpp).
    void runListing(const QString& query, const QString& connection, bool withSource);
    std::optional<search::Extras> extrasOrReport(int tab, const QString& name, const QString& composition);
    void refreshSourcePicker();
    void showSourcePicker();
    void enterSourcePicker();
    void pickSource();
    void onText1Changed();
    void onText6Changed();
    void onText3Changed();
    void onText4Changed();

    void openLink(const char* obfuscatedList);
    void setUpRecordCopy();
    void setCaptionSelected(int tab, bool selected);

    // The record the detail view shows, as read when it was shown: the actions that copy a record work on it,
    // never on whatever row a later search put at the same position.
    struct ShownRecord {
        int tab = kModeLibrary;
        store::RecordFields fields;
    };
    void rememberShownRecord(const store::RecordFields& fields);
    void forgetShownRecordIfEmptied();
    std::optional<ShownRecord> m_shownRecord;
    std::function<void()> m_openGroupEditor;

    int m_reportDepth = 0;
    QString m_pendingFailure;
    bool m_closingEmitted = false;
    QObject* m_pressedLink = nullptr; // the close image or link line a left press began on
    WindowDragFilter* m_dragFilter = nullptr;
    KeyboardNavigation* m_keyboard = nullptr;
    ViewZoom* m_zoom = nullptr;
};

} // namespace corvessa::mainwindow
