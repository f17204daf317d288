// SPDX-License-Identifier: GPL-3.0-or-later

// The save of the personal editor: the name box, the editor group box and the detail view become one record
// of the user's own prescriptions.
#include "errortext.h"
#include "mainwindow.h"

#include "messenger.h"
#include "search.h"
#include "store/records.h"
#include "store/storeerror.h"

#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace corvessa::mainwindow {

// Only the ordinary blank counts here, as in the search fields.
using search::trimBlanks;

void MainWindow::savePersonalRecord() {
    const QString name = trimBlanks(m_ui.text5->text());
    const QString content = m_ui.text2->toPlainText();
    if (name.isEmpty() || trimBlanks(content).isEmpty()) {
        m_messenger.information(this, QStringLiteral("方剂名称或方剂内容不能为空！"));
        return;
    }
    const QString group = m_ui.c1->currentText();
    // Read the key first: the search fields changed below run a search that clears it.
    const QString key = selectedRecordKey();

    QString written;
    try {
        written =
            store::savePersonalPrescription(m_store, key, name, group, content, QDateTime::currentDateTime());
    } catch (const store::StoreError& error) {
        // Nothing was written; everything typed stays as it is.
        m_messenger.information(this, QStringLiteral("没有保存：") + userMessage(error));
        return;
    }

    ReportScope scope(*this);
    attempt([this] { m_ui.text1->setText(QString()); });
    attempt([this, &group] { m_ui.text6->setEditText(group); });
    attempt([this] { personalSearch(); });
    // Hold the key of the record just written, so saving again overwrites it instead of adding a copy.
    setSelectedRecordKey(written);
}

} // namespace corvessa::mainwindow
