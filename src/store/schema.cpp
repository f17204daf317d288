// SPDX-License-Identifier: GPL-3.0-or-later

#include "schema.h"

#include "sqlite.h"

namespace corvessa::store {

namespace {

// Column limits are named constraints so that a refusal can tell the user which field was too long. 内容 is
// declared LONGTEXT (the memo column): unlimited, and read on demand by the recordset.
QString prescriptionTable(bool personal) {
    auto column = [](const QString& name, int limit, const QString& extra = {}) {
        return QStringLiteral("[%1] TEXT%3 CONSTRAINT [%1超长] CHECK (u16len([%1]) <= %2)")
            .arg(name)
            .arg(limit)
            .arg(extra);
    };
    QStringList columns{
        column(QStringLiteral("方名"), 200, QStringLiteral(" COLLATE PINYIN")),
        column(QStringLiteral("出处"), 200),
        column(QStringLiteral("主治"), 200),
        QStringLiteral("[内容] LONGTEXT"),
        column(QStringLiteral("类别"), 50),
        column(QStringLiteral("分组"), 100),
        column(QStringLiteral("备用1"), 200),
        column(QStringLiteral("备用2"), 200),
        column(QStringLiteral("备用3"), 200),
    };
    if (personal)
        columns << column(QStringLiteral("序号"), 50);
    return QStringLiteral("CREATE TABLE [中药方剂] (%1)").arg(columns.join(QStringLiteral(", ")));
}

void createCommon(Connection& connection, bool personal) {
    connection.exec(prescriptionTable(personal));
    if (personal) {
        // No search of the library uses these two; the personal database keeps the indexes it always had.
        connection.exec(QStringLiteral("CREATE INDEX [方名] ON [中药方剂] ([方名] ASC)"));
        connection.exec(QStringLiteral("CREATE INDEX [分类] ON [中药方剂] ([类别] ASC)"));
    }
    // Every search names one category and orders by name, and reads every column but 内容. An index holding
    // exactly those columns, category first, answers a search without reading the table or sorting, which
    // keeps a listing of the whole category fast although every record's text is long.
    QString covering =
        QStringLiteral("CREATE INDEX [类别方名] ON [中药方剂] ([类别], [方名], [出处], [主治], [分组], "
                       "[备用1], [备用2], [备用3]%1)");
    connection.exec(covering.arg(personal ? QStringLiteral(", [序号]") : QString()));
}

} // namespace

QStringList defaultGroups() {
    return {QStringLiteral("解表剂"),         QStringLiteral("祛暑剂"),     QStringLiteral("祛风湿剂"),
            QStringLiteral("清热泻火剂"),     QStringLiteral("润燥剂"),     QStringLiteral("泻下剂"),
            QStringLiteral("表里双解剂"),     QStringLiteral("和解剂"),     QStringLiteral("开窍剂"),
            QStringLiteral("止咳平喘化痰剂"), QStringLiteral("祛湿利尿剂"), QStringLiteral("理气剂"),
            QStringLiteral("理血剂"),         QStringLiteral("消导剂"),     QStringLiteral("驱虫剂"),
            QStringLiteral("温里回阳剂"),     QStringLiteral("补益剂"),     QStringLiteral("安神剂"),
            QStringLiteral("固涩剂")};
}

void createLibrarySchema(Connection& connection) {
    createCommon(connection, false);
    // The textbook list, shown at every start: a small index of just its rows, in name order, holding what
    // the list shows, so that the start reads neither the table nor the large index.
    connection.exec(QStringLiteral(
        "CREATE INDEX [教科书] ON [中药方剂] ([类别], [方名], [出处], [分组]) WHERE [分组] = '1'"));
}

void createPersonalSchema(Connection& connection) {
    createCommon(connection, true);
    connection.exec(QStringLiteral("CREATE INDEX [序号] ON [中药方剂] ([序号] ASC)"));
    connection.exec(QStringLiteral(
        "CREATE TABLE [分组] ([分组] TEXT CONSTRAINT [分组超长] CHECK (u16len([分组]) <= 200))"));
    Statement insert(connection, QStringLiteral("INSERT INTO [分组] ([分组]) VALUES (?)"));
    for (const QString& group : defaultGroups()) {
        insert.bind(1, group);
        insert.step();
        insert.reset();
    }
}

} // namespace corvessa::store
