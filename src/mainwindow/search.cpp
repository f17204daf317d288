// The searches that fill the result list, their triggers, and the source picker under the 出处 field.
#include "search.h"

#include "errortext.h"
#include "inputguard.h"
#include "mainwindow.h"
#include "messenger.h"
#include "store/recordset.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

namespace corvessa::mainwindow {

namespace search {

namespace {

const QString kLike = QStringLiteral("%'and [主治] like '%");
const QString kClassicTail = QStringLiteral("%'and [类别] = '中药经方' order by [方名]");
const QString kFavouriteTail = QStringLiteral("%'and [类别] = '我的收藏' order by [方名]");

} // namespace

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString quoted(const QString& typed) {
    QString text = typed;
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

KeywordSlots cutKeywords(const QString& indications) {
    const QString comma = QStringLiteral("，");
    QString text = trimBlanks(indications) + comma;
    text.replace(QLatin1Char(','), comma);
    text.replace(QLatin1Char(' '), comma);
    text.replace(QStringLiteral("。"), comma);
    text.replace(QStringLiteral("、"), comma);
    const QStringList parts = text.split(comma); // empty parts stay: two separators in a row give one
    KeywordSlots keywords;
    for (int k = 0; k < kKeywordSlots && k < parts.size(); ++k)
        keywords[size_t(k)] = parts[k];
    return keywords;
}

QString libraryQuery(int tab, const QString& name, const QString& source, const KeywordSlots& keywords) {
    // The pieces are spaced unevenly (a blank after some closing quotes, none after others); they stay so.
    return QStringLiteral("select * from[中药方剂] where [方名] like '%") + quoted(name) +
           QStringLiteral("%' and [出处] like '%") + quoted(source) +
           QStringLiteral("%' and [主治] like '%") + quoted(keywords[0]) + kLike + quoted(keywords[1]) +
           kLike + quoted(keywords[2]) + kLike + quoted(keywords[3]) +
           QStringLiteral("%' and [主治] like '%") + quoted(keywords[4]) +
           (tab == kModeFavourites ? kFavouriteTail : kClassicTail);
}

QString herbalQuery(const QString& name) {
    return QStringLiteral("select * from[中药方剂] where [方名] like '%") + quoted(name) +
           QStringLiteral("%' and [类别] = '中药功效' order by [方名]");
}

QString personalQuery(const QString& name, const QString& group) {
    QString pattern = group;
    pattern.remove(QStringLiteral("全部")); // "all groups" is the empty pattern
    return QStringLiteral("select * from[中药方剂] where [方名] like '%") + quoted(name) +
           QStringLiteral("%' and [分组] like '%") + quoted(pattern) +
           QStringLiteral("%' and [类别] = '个人验方' order by [方名]");
}

int numberWidth(int total) {
    if (total < 10)
        return 1;
    if (total < 100)
        return 2;
    if (total < 1000)
        return 3;
    if (total < 10000)
        return 4;
    return 5;
}

// Built in one allocation: a full listing writes tens of thousands of these lines.
QString resultLine(int position, int width, const QVariant& name, const QVariant& source, bool withSource) {
    width = std::clamp(width, 1, 10);
    const QString nameText = name.toString();
    const QString sourceText = withSource ? source.toString() : QString();
    QString line;
    line.reserve(width + 4 + nameText.size() + sourceText.size());
    line += QLatin1Char('[');
    // The last `width` digits of the zero-filled position.
    QChar digits[10];
    unsigned rest = unsigned(position < 0 ? 0 : position);
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = QChar(u'0' + rest % 10);
        rest /= 10;
    }
    line.append(digits, width);
    line += QLatin1Char(']');
    line += nameText;
    if (withSource) {
        line += QLatin1Char('[');
        line += sourceText;
        line += QLatin1Char(']');
    }
    return line;
}

} // namespace search

using namespace search;

void MainWindow::connectSearchTriggers() {
    // textChanged, not textEdited: a text set by code runs the same handling at once, in that order.
    connect(m_ui.text1, &QLineEdit::textChanged, this, &MainWindow::onText1Changed);
    connect(m_ui.text3, &QLineEdit::textChanged, this, &MainWindow::onText3Changed);
    connect(m_ui.text4, &QLineEdit::textChanged, this, &MainWindow::onText4Changed);
    connect(m_ui.text6, &QComboBox::editTextChanged, this, &MainWindow::onText6Changed);
    // Picking the group that already stands in the box changes no text but still lists that group.
    connect(m_ui.text6, &QComboBox::activated, this, &MainWindow::onText6Changed);
    connect(m_ui.list1, &QListWidget::itemSelectionChanged, this, &MainWindow::showSelectedRecord);

    connect(m_ui.command1, &QPushButton::clicked, this, &MainWindow::librarySearch);
    connect(m_ui.command2, &QPushButton::clicked, this, &MainWindow::herbalSearch);
    connect(m_ui.command3, &QPushButton::clicked, this, &MainWindow::personalSearch);
    connect(m_ui.command4, &QPushButton::clicked, this, &MainWindow::savePersonalRecord);
    connect(m_ui.command5, &QPushButton::clicked, this, &MainWindow::textbookList);
}

void MainWindow::librarySearch() {
    ReportScope scope(*this);
    setSelectedRecordKey(QString());
    if (m_state.currentTab == kModeLibrary && trimBlanks(m_ui.text1->text()).isEmpty() &&
        trimBlanks(m_ui.text3->text()).isEmpty() && trimBlanks(m_ui.text4->text()).isEmpty()) {
        m_messenger.information(this, kEmptyInputMessage);
        return;
    }
    if (m_state.currentTab == kModePersonal || m_state.currentTab == kModeHerbs) {
        m_ui.list1->clear();
        if (m_state.currentTab == kModePersonal)
            personalSearch();
        else
            herbalSearch();
        return;
    }
    const auto name = guardSearchInput(m_ui.text1->text());
    const auto source = guardSearchInput(m_ui.text3->text());
    const auto indications = guardSearchInput(m_ui.text4->text());
    if (!name || !source || !indications) {
        m_messenger.information(this, kSearchInputTooLong);
        return;
    }
    const KeywordSlots keywords = cutKeywords(*indications);
    m_ui.list1->clear();
    const bool favourites = m_state.currentTab == kModeFavourites;
    runListing(libraryQuery(m_state.currentTab, *name, *source, keywords),
               favourites ? m_store.personalConnection() : m_store.libraryConnection(), true);
}

void MainWindow::textbookList() {
    ReportScope scope(*this);
    setSelectedRecordKey(QString());
    m_ui.label16->setText(kSearchHintText);
    m_ui.list1->clear();
    runListing(kTextbookQuery, m_store.libraryConnection(), true);
}

void MainWindow::herbalSearch() {
    ReportScope scope(*this);
    const auto name = guardSearchInput(m_ui.text1->text());
    if (!name) {
        reportFailure(kSearchInputTooLong);
        return;
    }
    m_ui.list1->clear();
    runListing(herbalQuery(*name), m_store.libraryConnection(), false);
}

void MainWindow::personalSearch() {
    ReportScope scope(*this);
    const auto name = guardSearchInput(m_ui.text1->text());
    const auto group = guardSearchInput(m_ui.text6->currentText());
    if (!name || !group) {
        reportFailure(kSearchInputTooLong);
        return;
    }
    m_ui.list1->clear();
    runListing(personalQuery(*name, *group), m_store.personalConnection(), false);
}

// Stores the query as the current query, runs it and appends one numbered line per row. The row count is
// known before the first line is written, because it fixes the width of the numbers. A failing query is
// reported and the list keeps the lines read until then.
void MainWindow::runListing(const QString& query, const QString& connection, bool withSource) {
    m_state.currentQuery = query;
    store::Recordset& records = m_store.recordset();
    QStringList lines;
    try {
        records.setLockType(store::adLockOptimistic);
        records.setCursorLocation(store::adUseClient);
        records.open(query, connection);
        records.requery();
        const int total = records.recordCount();
        if (total > 0) {
            const int width = numberWidth(total);
            const QString name = QStringLiteral("方名");
            const QString source = QStringLiteral("出处");
            lines.reserve(total);
            for (int position = 1; !records.eof(); ++position) {
                lines.append(resultLine(position, width, records.field(name),
                                        withSource ? records.field(source) : QVariant(), withSource));
                records.moveNext();
            }
        }
    } catch (const store::StoreError& error) {
        reportFailure(QStringLiteral("查询失败：") + userMessage(error));
    }
    records.release();
    m_ui.list1->addItems(lines);
}

void MainWindow::onText1Changed() {
    if (m_state.currentTab == kModeHerbs)
        herbalSearch();
    else if (m_state.currentTab == kModePersonal)
        personalSearch();
    setSelectedRecordKey(QString());
}

void MainWindow::onText6Changed() {
    if (m_state.currentTab == kModePersonal)
        personalSearch();
    setSelectedRecordKey(QString());
}

void MainWindow::onText3Changed() {
    refreshSourcePicker();
    setSelectedRecordKey(QString());
}

void MainWindow::onText4Changed() {
    setSelectedRecordKey(QString());
}

// The picker lists every catalogue title that contains the typed text, in catalogue order.
void MainWindow::refreshSourcePicker() {
    const QString typed = m_ui.text3->text();
    QStringList matching;
    for (int i = 0; i < m_ui.list5->count(); ++i) {
        const QString title = m_ui.list5->item(i)->text();
        if (title.contains(typed))
            matching.append(title);
    }
    m_ui.list2->clear();
    m_ui.list2->addItems(matching);
    m_ui.list2->setVisible(m_ui.list2->count() > 0);
}

void MainWindow::showSourcePicker() {
    m_ui.list2->show();
    m_ui.list2->raise();
}

void MainWindow::hideSourcePicker() {
    m_ui.list2->hide();
}

// Down arrow in the 出处 field: into the picker, on its first line. With nothing to pick it does nothing.
void MainWindow::enterSourcePicker() {
    if (m_ui.list2->count() == 0)
        return;
    showSourcePicker();
    m_ui.list2->setFocus(Qt::OtherFocusReason);
    m_ui.list2->setCurrentRow(0);
}

void MainWindow::pickSource() {
    const QListWidgetItem* item = m_ui.list2->currentItem();
    if (!item)
        return;
    const QString title = item->text(); // the line goes away when the field's change refreshes the picker
    m_ui.text3->setText(title);
    m_ui.text3->setCursorPosition(int(title.size()));
    m_ui.text3->setFocus(Qt::OtherFocusReason);
    QCoreApplication::processEvents();
    hideSourcePicker();
}

bool MainWindow::searchEventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && (watched == m_ui.text1 || watched == m_ui.text3 || watched == m_ui.text4)) {
            librarySearch();
            return true; // no character, no beep
        }
        if (enter && watched == m_ui.list2) {
            pickSource();
            return true;
        }
        if (key == Qt::Key_Down && watched == m_ui.text3 && m_ui.list2->count() > 0) {
            enterSourcePicker();
            return true;
        }
        return false;
    }
    if (type == QEvent::FocusIn) {
        if (watched == m_ui.text3)
            showSourcePicker();
        else if (watched == m_ui.list1 || watched == m_ui.text1)
            hideSourcePicker();
        return false;
    }
    if (type == QEvent::MouseButtonDblClick && watched == m_ui.list2->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (QListWidgetItem* item = m_ui.list2->itemAt(mouse->position().toPoint())) {
            m_ui.list2->setCurrentItem(item);
            pickSource();
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress &&
        (watched == m_ui.text2->viewport() || watched == m_ui.picture1 || watched == m_ui.picture3)) {
        hideSourcePicker();
        return false;
    }
    return false;
}

} // namespace corvessa::mainwindow
