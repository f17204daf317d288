// SPDX-License-Identifier: GPL-3.0-or-later

// The operations behind the action buttons that work on records: add to the favourites, copy into the own
// prescriptions, delete, clear the editor and open the group editor.
#include "errortext.h"
#include "mainwindow.h"

#include "messenger.h"
#include "store/records.h"
#include "store/schema.h"
#include "store/storeerror.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

void MainWindow::copyShownRecord(int fromTab, const QString& category, const QString& doneText) {
    // The action works on the record the detail view shows, read when it was shown; a new search in between
    // does not change which record that is.
    if (m_state.currentQuery.isEmpty() || m_state.currentTab != fromTab ||
        m_ui.text2->toPlainText().isEmpty())
        return;
    if (!m_shownRecord || m_shownRecord->tab != fromTab)
        return;
    store::RecordFields fields = m_shownRecord->fields;
    if (fromTab == kModeFavourites) {
        // An own prescription made from a favourite keeps its name and text only.
        fields.source = QStringLiteral("");
        fields.indications = QStringLiteral("");
    }
    try {
        store::appendPersonalRecord(m_store, fields, category, QDateTime::currentDateTime());
    } catch (const store::StoreError& error) {
        m_messenger.information(this, QStringLiteral("没有保存：") + userMessage(error));
        return;
    }
    m_messenger.information(this, doneText);
}

void MainWindow::deleteShownRecord(const QString& category) {
    const QString key = selectedRecordKey();
    if (key.isEmpty())
        return;
    if (!m_messenger.confirm(this, QStringLiteral("确定进行删除吗！")))
        return;
    ReportScope scope(*this);
    attempt([&] {
        if (store::deletePersonalRecord(m_store, key, category))
            m_ui.text2->clear();
    });
    // The list follows whether or not a record was deleted.
    if (category == store::kCategoryFavourite)
        attempt([this] { librarySearch(); });
    else
        attempt([this] { personalSearch(); });
}

void MainWindow::clearEditor() {
    m_ui.text5->clear();
    m_ui.c1->setEditText(QString());
    m_ui.text2->clear();
    // Without a key, the next save adds a new prescription instead of overwriting the one shown before.
    setSelectedRecordKey(QString());
    m_ui.text5->setFocus();
}

void MainWindow::setGroupEditorOpener(std::function<void()> open) {
    m_openGroupEditor = std::move(open);
}

void MainWindow::openGroupEditor() {
    if (m_openGroupEditor)
        m_openGroupEditor();
}

void MainWindow::rememberShownRecord(const store::RecordFields& fields) {
    m_shownRecord = ShownRecord{m_state.currentTab, fields};
}

void MainWindow::forgetShownRecordIfEmptied() {
    if (m_ui.text2->document()->isEmpty())
        m_shownRecord.reset();
}

} // namespace corvessa::mainwindow
