// SPDX-License-Identifier: GPL-3.0-or-later

// The searches that fill the result list, their triggers, and the source picker under the 出处 field.
#include "search.h"

#include "errortext.h"
#include "inputguard.h"
#include "mainwindow.h"
#include "messenger.h"
#include "resultmodel.h"
#include "store/codec.h"
#include "store/ingredients.h"
#include "store/listing.h"
#include "store/pinyin.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "store/store.h"
#include "store/storeerror.h"
#include "store/textnorm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <memory>

namespace corvessa::mainwindow {

namespace search {

namespace {

const QString kLike = QStringLiteral("%'and [主治] like '%");
const QString kClassicTail = QStringLiteral("%'and [类别] = '中药经方'");
const QString kFavouriteTail = QStringLiteral("%'and [类别] = '我的收藏'");

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

namespace {

// The name pattern; for a name typed in letters, the pinyin keys instead (which also hold a name's Latin
// letters), so that the few matching rows are read directly rather than every row tested against both.
QString namePart(const QString& name, const QString& nameCondition) {
    if (!nameCondition.isEmpty())
        return nameCondition;
    return QStringLiteral("[方名] like '%") + quoted(name) + QStringLiteral("%'");
}

QString extraCondition(const QString& condition) {
    return condition.isEmpty() ? QString() : QStringLiteral(" and ") + condition;
}

const QString kSelect = QStringLiteral("select * from[中药方剂] where ");
const QString kOrder = QStringLiteral(" order by [方名]");

} // namespace

QString libraryQuery(int tab, const QString& name, const QString& source, const KeywordSlots& keywords,
                     const Extras& extras) {
    // The pieces are spaced unevenly (a blank after some closing quotes, none after others); they stay so.
    return kSelect + namePart(name, extras.nameCondition) + QStringLiteral(" and [出处] like '%") +
           quoted(source) + QStringLiteral("%' and [主治] like '%") + quoted(keywords[0]) + kLike +
           quoted(keywords[1]) + kLike + quoted(keywords[2]) + kLike + quoted(keywords[3]) +
           QStringLiteral("%' and [主治] like '%") + quoted(keywords[4]) +
           (tab == kModeFavourites ? kFavouriteTail : kClassicTail) +
           extraCondition(extras.compositionCondition) + kOrder;
}

QString herbalQuery(const QString& name, const Extras& extras) {
    return kSelect + namePart(name, extras.nameCondition) + QStringLiteral(" and [类别] = '中药功效'") +
           extraCondition(extras.compositionCondition) + kOrder;
}

QString personalQuery(const QString& name, const QString& group, const Extras& extras) {
    QString pattern = group;
    pattern.remove(QStringLiteral("全部")); // "all groups" is the empty pattern
    return kSelect + namePart(name, extras.nameCondition) + QStringLiteral(" and [分组] like '%") +
           quoted(pattern) + QStringLiteral("%' and [类别] = '个人验方'") +
           extraCondition(extras.compositionCondition) + kOrder;
}

QStringList herbsOf(const QString& composition) {
    const KeywordSlots cut = cutKeywords(composition);
    return store::ingredients::searchable(QStringList(cut.begin(), cut.end()));
}

QString normalized(const QString& typed) {
    // One normaliser for the whole run: opening OpenCC's tables is slow. Without them typed text is used as
    // it stands.
    static const std::unique_ptr<store::TextNormalizer> normalizer =
        []() -> std::unique_ptr<store::TextNormalizer> {
        try {
            return std::make_unique<store::TextNormalizer>();
        } catch (const std::exception& error) {
            qWarning("text normaliser unavailable: %s", error.what());
            return nullptr;
        }
    }();
    if (!normalizer || typed.isEmpty())
        return typed;
    return (*normalizer)(typed);
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
    connect(m_ui.list1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::showSelectedRecord);

    connect(m_ui.command1, &QPushButton::clicked, this, &MainWindow::librarySearch);
    connect(m_ui.command2, &QPushButton::clicked, this, &MainWindow::herbalSearch);
    connect(m_ui.command3, &QPushButton::clicked, this, &MainWindow::personalSearch);
    connect(m_ui.command4, &QPushButton::clicked, this, &MainWindow::savePersonalRecord);
    connect(m_ui.command5, &QPushButton::clicked, this, &MainWindow::textbookList);
}

namespace {

// The favourites whose composition holds every herb, composed from their texts now: they are few and have no
// index.
QString favouritesWith(store::Store& store, const QStringList& herbs) {
    store::Connection& personal = store.connections().connection(store.personalConnection());
    store::Statement read(personal, QStringLiteral("SELECT rowid, [内容] FROM [中药方剂] WHERE [类别] = '") +
                                        store::kCategoryFavourite + QStringLiteral("'"));
    QStringList rowids;
    while (read.step()) {
        const QString content = store::unscramble(read.value(1).toString());
        if (store::ingredients::containsAll(store::ingredients::compositionOf(content), herbs))
            rowids << QString::number(read.int64(0));
    }
    return QStringLiteral("rowid in (") + rowids.join(QLatin1Char(',')) + QLatin1Char(')');
}

// The additions to a search on `tab`: the pinyin keys when the name is typed in letters, and the herbs of
// 组成 (on the library and favourites tabs). Throws StoreError.
Extras extrasFor(store::Store& store, int tab, const QString& name, const QString& composition) {
    Extras extras;
    const bool personalDatabase = tab == kModeFavourites || tab == kModePersonal;
    if (store::pinyin::isPinyinInput(name)) {
        if (personalDatabase)
            store::pinyin::refreshPersonalKeys(store);
        extras.nameCondition =
            personalDatabase ? store::pinyin::nameCondition(name) : store::pinyin::libraryNameCondition(name);
    }
    const QStringList herbs = herbsOf(composition);
    if (!herbs.isEmpty() && tab == kModeLibrary)
        extras.compositionCondition = store::ingredients::indexCondition(herbs);
    else if (!herbs.isEmpty() && tab == kModeFavourites)
        extras.compositionCondition = favouritesWith(store, herbs);
    return extras;
}

} // namespace

void MainWindow::librarySearch() {
    ReportScope scope(*this);
    setSelectedRecordKey(QString());
    if (m_state.currentTab == kModeLibrary && trimBlanks(m_ui.text1->text()).isEmpty() &&
        trimBlanks(m_ui.text3->text()).isEmpty() && trimBlanks(m_ui.text4->text()).isEmpty() &&
        trimBlanks(m_ui.text7->text()).isEmpty()) {
        m_messenger.information(this, kEmptyInputMessage);
        return;
    }
    if (m_state.currentTab == kModePersonal || m_state.currentTab == kModeHerbs) {
        m_ui.results->clear();
        if (m_state.currentTab == kModePersonal)
            personalSearch();
        else
            herbalSearch();
        return;
    }
    const auto typedName = guardSearchInput(m_ui.text1->text());
    const auto typedSource = guardSearchInput(m_ui.text3->text());
    const auto typedIndications = guardSearchInput(m_ui.text4->text());
    const auto typedIngredients = guardSearchInput(m_ui.text7->text());
    if (!typedName || !typedSource || !typedIndications || !typedIngredients) {
        m_messenger.information(this, kSearchInputTooLong);
        return;
    }
    const KeywordSlots keywords = cutKeywords(normalized(*typedIndications));
    m_ui.results->clear();
    const int tab = m_state.currentTab;
    const bool favourites = tab == kModeFavourites;
    const QString name = normalized(*typedName);
    const std::optional<Extras> extras = extrasOrReport(tab, name, normalized(*typedIngredients));
    if (!extras)
        return;
    runListing(libraryQuery(tab, name, normalized(*typedSource), keywords, *extras),
               favourites ? m_store.personalConnection() : m_store.libraryConnection(), true);
}

// The pinyin and composition conditions of a search; a failure to make them is reported and ends the search.
std::optional<Extras> MainWindow::extrasOrReport(int tab, const QString& name, const QString& composition) {
    try {
        return extrasFor(m_store, tab, name, composition);
    } catch (const store::StoreError& error) {
        reportFailure(QStringLiteral("查询失败：") + userMessage(error));
        return std::nullopt;
    }
}

void MainWindow::textbookList() {
    ReportScope scope(*this);
    setSelectedRecordKey(QString());
    m_ui.label16->setText(kSearchHintText);
    m_ui.results->clear();
    runListing(kTextbookQuery, m_store.libraryConnection(), true);
}

void MainWindow::herbalSearch() {
    ReportScope scope(*this);
    const auto typedName = guardSearchInput(m_ui.text1->text());
    if (!typedName) {
        reportFailure(kSearchInputTooLong);
        return;
    }
    m_ui.results->clear();
    const QString name = normalized(*typedName);
    const std::optional<Extras> extras = extrasOrReport(kModeHerbs, name, QString());
    if (!extras)
        return;
    runListing(herbalQuery(name, *extras), m_store.libraryConnection(), false);
}

void MainWindow::personalSearch() {
    ReportScope scope(*this);
    const auto typedName = guardSearchInput(m_ui.text1->text());
    const auto group = guardSearchInput(m_ui.text6->currentText());
    if (!typedName || !group) {
        reportFailure(kSearchInputTooLong);
        return;
    }
    m_ui.results->clear();
    const QString name = normalized(*typedName);
    const std::optional<Extras> extras = extrasOrReport(kModePersonal, name, QString());
    if (!extras)
        return;
    runListing(personalQuery(name, *group, *extras), m_store.personalConnection(), false);
}

// Stores the query as the current query and lists its rows: the row count, and so the width of the numbers,
// is known before the list shows a line. Only rowid, 方名 and 出处 are read; the lines are made when shown. A
// failing query is reported and leaves the list empty.
void MainWindow::runListing(const QString& query, const QString& connection, bool withSource) {
    m_state.currentQuery = query;
    store::Listing listing;
    try {
        listing = store::Listing::read(m_store.connections().connection(connection), query);
    } catch (const store::StoreError& error) {
        reportFailure(QStringLiteral("查询失败：") + userMessage(error));
    }
    m_ui.results->setListing(std::move(listing), withSource);
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
        if (enter && (watched == m_ui.text1 || watched == m_ui.text3 || watched == m_ui.text4 ||
                      watched == m_ui.text7)) {
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
