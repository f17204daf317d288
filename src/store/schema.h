// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

namespace corvessa::store {

class Connection;

inline const QString kLibraryFileName = QStringLiteral("中药方剂数据库S.dat");
inline const QString kPersonalFileName = QStringLiteral("个人经方数据库.dat");

// Categories, the values of 类别.
inline const QString kCategoryClassic = QStringLiteral("中药经方");
inline const QString kCategoryHerb = QStringLiteral("中药功效");
inline const QString kCategoryPersonal = QStringLiteral("个人验方");
inline const QString kCategoryFavourite = QStringLiteral("我的收藏");

// The groups a new personal database starts with, in their stored order.
QStringList defaultGroups();

// Creates the tables and indexes of the library database (no 序号 column, no 分组 table).
void createLibrarySchema(Connection& connection);
// Creates the tables and indexes of the personal database and fills table 分组 with the default groups.
void createPersonalSchema(Connection& connection);

} // namespace corvessa::store
