// SPDX-License-Identifier: GPL-3.0-or-later

#include "errortext.h"

#include "store/storeerror.h"

namespace corvessa::mainwindow {

Q_LOGGING_CATEGORY(lcMainWindow, "corvessa.mainwindow")

QString userMessage(const store::StoreError& error) {
    using Kind = store::StoreError::Kind;
    qCWarning(lcMainWindow) << "store failure shown to the user:" << int(error.kind()) << error.detail();
    switch (error.kind()) {
    case Kind::Locked:
        return QStringLiteral("数据库正被另一个窗口使用，请稍后再试。");
    case Kind::DiskFull:
        return QStringLiteral("磁盘已满，无法保存。请腾出磁盘空间后再试。");
    case Kind::Damaged:
        return QStringLiteral("数据库文件已损坏，无法读取。请重新启动程序，按提示从备份恢复。");
    case Kind::ReadOnly:
        return QStringLiteral("数据库文件是只读的，无法保存。");
    case Kind::CannotOpen:
        return QStringLiteral("数据库文件无法打开：文件不存在或没有读写权限。");
    case Kind::TooLong:
        if (!error.subject().isEmpty())
            return QStringLiteral("“%1”的内容太长，超出了数据库允许的长度。").arg(error.subject());
        return QStringLiteral("输入的内容太长，超出了数据库允许的长度。");
    case Kind::TooComplex:
        return QStringLiteral("查询内容太长，请缩短后再查询。");
    case Kind::Constraint:
        return QStringLiteral("数据库不接受这个内容。");
    case Kind::NoMemory:
        return QStringLiteral("内存不足，无法读取查询结果。");
    case Kind::Io:
        return QStringLiteral("读写磁盘时出错，请检查磁盘。");
    case Kind::Other:
        break;
    }
    return QStringLiteral("数据库操作失败。");
}

} // namespace corvessa::mainwindow
