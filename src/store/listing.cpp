// SPDX-License-Identifier: GPL-3.0-or-later

#include "listing.h"

#include "sqlite.h"
#include "storeerror.h"

#include <QRegularExpression>
#include <limits>

namespace corvessa::store {

QString withoutEmptyPatterns(const QString& sql) {
    // Typed text has every quote doubled, so "'%%'" followed by no further quote is always a whole literal.
    static const QRegularExpression empty(QStringLiteral("(\\[[^\\]'\\[]+\\])\\s*like\\s*'%%'(?!')"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString result = sql;
    return result.replace(empty, QStringLiteral("\\1 IS NOT NULL "));
}

QString Listing::text(Span span) const {
    return QString::fromUtf8(m_bytes.data() + span.offset, qsizetype(span.length));
}

Listing::Span Listing::append(const char* data, size_t length) {
    if (m_bytes.size() + length > std::numeric_limits<std::uint32_t>::max())
        throw StoreError(QStringLiteral("查询结果太大，无法全部读入。"));
    Span span{std::uint32_t(m_bytes.size()), std::uint32_t(length)};
    m_bytes.insert(m_bytes.end(), data, data + length);
    return span;
}

Listing Listing::read(Connection& connection, const QString& selectAll) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*select\\s+\\*\\s*(from\\s*\\[[^\\]]+\\].*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto match = pattern.match(selectAll);
    if (!match.hasMatch())
        throw StoreError(QStringLiteral("数据库操作失败：无法列出这个查询的结果。"));
    Statement select(connection,
                     QStringLiteral("select rowid,[方名],[出处] ") + withoutEmptyPatterns(match.captured(1)));
    Listing listing;
    while (select.step()) {
        listing.m_rowids.push_back(select.int64(0));
        Row row;
        const std::string_view name = select.utf8(1);
        row.name = listing.append(name.data(), name.size());
        const std::string_view source = select.utf8(2);
        row.source = listing.append(source.data(), source.size());
        listing.m_rows.push_back(row);
    }
    return listing;
}

} // namespace corvessa::store
