// SPDX-License-Identifier: GPL-3.0-or-later

#include "ingredients.h"

#include "sqlite.h"

namespace corvessa::store::ingredients {

namespace {

const QString kHeading = QStringLiteral("【组成】");

bool searchableCharacter(char32_t c) {
    return QChar::isLetterOrNumber(c);
}

// Each character of `text` that can be searched for, as one token each, with blanks between.
QString spaced(const QString& text, bool keepSeparators) {
    QStringList tokens;
    for (const char32_t c : text.toUcs4()) {
        if (searchableCharacter(c))
            tokens << QString::fromUcs4(&c, 1).toLower();
        else if (keepSeparators)
            tokens << QStringLiteral("、"); // a token of its own, so no phrase runs across it
    }
    return tokens.join(QLatin1Char(' '));
}

} // namespace

QString compositionOf(const QString& content) {
    const qsizetype start = content.indexOf(kHeading);
    if (start < 0)
        return {};
    const qsizetype from = start + kHeading.size();
    const qsizetype end = content.indexOf(QStringLiteral("【"), from);
    return content.mid(from, end < 0 ? -1 : end - from);
}

QString indexText(const QString& composition) {
    return spaced(composition, true);
}

QStringList searchable(const QStringList& herbs) {
    QStringList result;
    for (const QString& herb : herbs) {
        QString kept;
        for (const char32_t c : herb.toUcs4()) {
            if (searchableCharacter(c))
                kept += QString::fromUcs4(&c, 1);
        }
        if (!kept.isEmpty())
            result << kept;
    }
    return result;
}

QString indexCondition(const QStringList& herbs) {
    // Phrases side by side must all occur. Only letters and digits reach the expression, so neither the SQL
    // literal nor the full-text syntax can be broken by what was typed.
    QStringList phrases;
    for (const QString& herb : herbs)
        phrases << QLatin1Char('"') + spaced(herb, false) + QLatin1Char('"');
    return QStringLiteral("rowid in (select docid from[组成索引] where [组成索引] match '") +
           phrases.join(QLatin1Char(' ')) + QStringLiteral("')");
}

bool containsAll(const QString& composition, const QStringList& herbs) {
    for (const QString& herb : herbs) {
        if (!composition.contains(herb, Qt::CaseInsensitive))
            return false;
    }
    return true;
}

void createIndex(Connection& connection) {
    // Contentless: the text is in 内容 already; only the index is kept.
    connection.exec(QStringLiteral("CREATE VIRTUAL TABLE [组成索引] USING fts4(content=\"\", [组成])"));
}

} // namespace corvessa::store::ingredients
