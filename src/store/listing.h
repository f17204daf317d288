// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace corvessa::store {

class Connection;

// What a result list shows of a search: per row its rowid, 方名 and 出处, read straight from the statement
// into one buffer. A "select * from[表] ..." text is run with only these three columns selected; its
// conditions and order stay exactly as written.
class Listing {
public:
    int count() const { return int(m_rowids.size()); }
    qint64 rowid(int row) const { return m_rowids[size_t(row)]; }
    QString name(int row) const { return text(m_rows[size_t(row)].name); }
    QString source(int row) const { return text(m_rows[size_t(row)].source); }

    // Throws StoreError when the text is no "select * from[表]" or the database refuses it.
    static Listing read(Connection& connection, const QString& selectAll);

private:
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    struct Row {
        Span name;
        Span source;
    };
    QString text(Span span) const;
    Span append(const char* data, size_t length);

    std::vector<qint64> m_rowids;
    std::vector<Row> m_rows;
    std::vector<char> m_bytes;
};

// The same query with every "[列] like '%%'" written as "[列] IS NOT NULL", which it means: the database
// then need not run the pattern over every row.
QString withoutEmptyPatterns(const QString& sql);

} // namespace corvessa::store
