// SPDX-License-Identifier: GPL-3.0-or-later

#include "connectionstring.h"

#include "storeerror.h"

#include <QStringList>

namespace corvessa::store {

QString joinPath(const QString& folder, const QString& name) {
    const QChar separator = folder.contains(QLatin1Char('\\')) && !folder.contains(QLatin1Char('/'))
                                ? QLatin1Char('\\')
                                : QLatin1Char('/');
    QString base = folder;
    while (base.size() > 1 && (base.endsWith(QLatin1Char('/')) || base.endsWith(QLatin1Char('\\'))))
        base.chop(1);
    if (base == QLatin1String("/"))
        return base + name;
    return base + separator + name;
}

QString makeConnectionString(const QString& folder, const QString& fileName, const QString& password) {
    return QStringLiteral("Provider=%1;Data Source=%2;Jet OLEDB:Database Password=%3")
        .arg(kProvider, joinPath(folder, fileName), password);
}

ConnectionInfo parseConnectionString(const QString& connectionString) {
    ConnectionInfo info;
    bool haveSource = false;
    // The password is the last part and may itself contain ';' or '=', so everything after its key belongs to
    // it.
    static const QString passwordKey = QStringLiteral("Jet OLEDB:Database Password=");
    QString head = connectionString;
    if (const qsizetype at = connectionString.indexOf(passwordKey, 0, Qt::CaseInsensitive); at >= 0) {
        info.password = connectionString.mid(at + passwordKey.size());
        head = connectionString.left(at);
    }
    // Data Source runs to the end of what precedes the password, so a folder name with ';' stays whole.
    static const QString sourceKey = QStringLiteral("Data Source=");
    if (const qsizetype at = head.indexOf(sourceKey, 0, Qt::CaseInsensitive); at >= 0) {
        info.dataSource = head.mid(at + sourceKey.size());
        if (info.dataSource.endsWith(QLatin1Char(';')))
            info.dataSource.chop(1);
        haveSource = true;
        head = head.left(at);
    }
    for (const QString& part : head.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq >= 0 && part.left(eq).trimmed().compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0)
            info.provider = part.mid(eq + 1);
    }
    if (!haveSource || info.dataSource.isEmpty())
        throw StoreError(QStringLiteral("数据库连接设置有误：没有指定数据库文件。"));
    return info;
}

} // namespace corvessa::store
