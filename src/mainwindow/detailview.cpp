// SPDX-License-Identifier: GPL-3.0-or-later

// The record behind a line of the result list, read by the rowid the line keeps, shown in the detail view.
#include "detailview.h"

#include "errortext.h"
#include "mainwindow.h"
#include "resultmodel.h"
#include "store/codec.h"
#include "store/recordset.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

namespace detail {

namespace {

QString withPlainBreaks(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

} // namespace

QString breakBeforeHeadings(const QString& text) {
    QString result = text;
    return result.replace(QStringLiteral("【"), QStringLiteral("\n【"));
}

QString tidyLineBreaks(const QString& text) {
    QString result = withPlainBreaks(text);
    result.replace(QStringLiteral("\n\n\n\n"), QStringLiteral("\n\n"));
    result.replace(QStringLiteral("\n\n\n"), QStringLiteral("\n\n"));
    return result;
}

QString prescriptionText(const QString& storedContent) {
    return breakBeforeHeadings(withPlainBreaks(store::unscramble(storedContent)));
}

QString herbText(const QString& content, const QString& resultLine) {
    const QString name = resultLine.mid(resultLine.indexOf(QLatin1Char(']')) + 1);
    QString result = content;
    return result.remove(name + QStringLiteral("@$"));
}

} // namespace detail

namespace {

// The columns read for the detail view; a column without a value reads as the empty text.
struct ReadRecord {
    QString content;
    QString name;
    QString group;
    QString key;
    store::RecordFields fields; // as stored, for the actions that copy the record
};

QString text(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

} // namespace

void MainWindow::showSelectedRecord() {
    const QModelIndexList selected = m_ui.list1->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return; // the list was cleared or refilled; nothing is selected
    ReportScope scope(*this);
    m_state.selectedRow = selected.first().row();
    const QString line = m_ui.results->line(m_state.selectedRow);
    const qint64 rowid = m_ui.results->rowId(m_state.selectedRow);
    const int tab = m_state.currentTab;
    const bool personalDatabase = tab == kModeFavourites || tab == kModePersonal;

    // Each line knows its record's rowid: the record is read alone, whatever ran since the list was filled.
    store::Recordset& records = m_store.recordset();
    ReadRecord record;
    bool reached = false;
    try {
        records.setLockType(store::adLockOptimistic);
        records.setCursorLocation(store::adUseClient);
        records.open(QStringLiteral("select * from[中药方剂] where rowid = %1").arg(rowid),
                     personalDatabase ? m_store.personalConnection() : m_store.libraryConnection());
        records.requery();
        // When the record was deleted since the list was filled, show nothing.
        if (records.recordCount() > 0) {
            record.fields = {records.field(QStringLiteral("方名")), records.field(QStringLiteral("出处")),
                             records.field(QStringLiteral("主治")), records.field(QStringLiteral("内容"))};
            record.content = text(record.fields.storedContent);
            if (tab == kModePersonal) {
                record.name = text(records.field(QStringLiteral("方名")));
                record.group = text(records.field(QStringLiteral("分组")));
            }
            if (personalDatabase)
                record.key = text(records.field(QStringLiteral("序号")));
            reached = true;
        }
    } catch (const store::StoreError& error) {
        reportFailure(QStringLiteral("读取方剂失败：") + userMessage(error));
        reached = false;
    }
    records.release();

    if (!reached) {
        m_ui.text2->clear();
        setSelectedRecordKey(QString());
        return;
    }
    const QString shown =
        tab == kModeHerbs ? detail::herbText(record.content, line) : detail::prescriptionText(record.content);
    m_ui.text2->setPlainText(detail::tidyLineBreaks(shown));
    rememberShownRecord(record.fields);
    if (tab == kModePersonal) {
        m_ui.text5->setText(record.name);
        m_ui.c1->setEditText(record.group);
    }
    setSelectedRecordKey(personalDatabase ? record.key : QString());
}

} // namespace corvessa::mainwindow
