#include "records.h"

#include "codec.h"
#include "schema.h"
#include "sqlite.h"
#include "store.h"
#include "storeerror.h"

namespace corvessa::store {

namespace {

// Every operation leaves the shared recordset closed and released, also when it fails half-way.
struct ReleaseOnExit {
    Recordset& recordset;
    ~ReleaseOnExit() { recordset.release(); }
};

// Assigns every column of a personal record in the order the program has always written them; 备用1–3 are
// written as empty texts.
void writeColumns(Recordset& rs, const QVariant& name, const QVariant& source, const QVariant& indications,
                  const QVariant& storedContent, const QString& category, const QString& key,
                  const QVariant& group) {
    const QString empty = QStringLiteral("");
    const std::pair<const char*, QVariant> columns[] = {
        {"方名", name}, {"出处", source}, {"主治", indications}, {"内容", storedContent}, {"类别", category},
        {"序号", key},  {"备用1", empty}, {"备用2", empty},      {"备用3", empty},        {"分组", group}};
    for (const auto& [column, value] : columns)
        rs.setField(QString::fromUtf8(column), value);
}

QString keyOf(const QDateTime& time) {
    return time.toString(QStringLiteral("yyMMddHHmmss"));
}

} // namespace

QString sqlText(const QString& value) {
    QString quoted = value;
    return quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString freshRecordKey(Store& store, const QDateTime& now) {
    Connection& connection = store.connections().connection(store.personalConnection());
    Statement taken(connection, QStringLiteral("SELECT 1 FROM [中药方剂] WHERE [序号] = ? LIMIT 1"));
    QDateTime time = now;
    for (;;) {
        const QString key = keyOf(time);
        taken.bind(1, key);
        const bool used = taken.step();
        taken.reset();
        if (!used)
            return key;
        time = time.addSecs(1);
    }
}

QString appendPersonalRecord(Store& store, const RecordFields& fields, const QString& category,
                             const QDateTime& now) {
    const QString key = freshRecordKey(store, now);
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] "), store.personalConnection());
    rs.requery();
    rs.addNew();
    writeColumns(rs, fields.name, fields.source, fields.indications, fields.storedContent, category, key,
                 QStringLiteral(""));
    rs.update();
    rs.requery();
    return key;
}

bool deletePersonalRecord(Store& store, const QString& key, const QString& category) {
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] where  [序号] = '") + sqlText(key) +
                QStringLiteral("' and [类别] = '") + sqlText(category) + QStringLiteral("'"),
            store.personalConnection());
    if (rs.recordCount() < 1)
        return false;
    rs.deleteCurrent();
    rs.update();
    rs.requery();
    return true;
}

QString savePersonalPrescription(Store& store, const QString& selectedKey, const QString& name,
                                 const QString& group, const QString& content, const QDateTime& now) {
    const QString key = freshRecordKey(store, now);
    Recordset& rs = store.recordset();
    ReleaseOnExit release{rs};
    rs.setLockType(adLockOptimistic);
    rs.setCursorLocation(adUseClient);
    rs.open(QStringLiteral("select * from[中药方剂] where [序号] = '") + sqlText(selectedKey) +
                QStringLiteral("'"),
            store.personalConnection());
    if (rs.recordCount() == 0)
        rs.addNew();
    writeColumns(rs, name, QStringLiteral(""), QStringLiteral(""), scramble(content), kCategoryPersonal, key,
                 group);
    rs.update(); // one statement: the record is written whole or not at all
    rs.requery();
    return key;
}

} // namespace corvessa::store
