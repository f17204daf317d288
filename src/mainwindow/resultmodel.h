// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/listing.h"

#include <QAbstractListModel>

namespace corvessa::mainwindow {

// The lines of the result list, made from a search's listing when the list shows them: nothing is copied per
// line, and each line keeps the rowid of its record, so that the record behind a line is read directly.
class ResultModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kRowIdRole = Qt::UserRole + 1;

    explicit ResultModel(QObject* parent = nullptr);

    // Lines "[n]name" or "[n]name[source]", numbered 1 to count with the width the count gives.
    void setListing(store::Listing listing, bool withSource);
    void clear();

    qint64 rowId(int row) const; // 0 when there is no such line
    QString line(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    store::Listing m_listing;
    bool m_withSource = false;
    int m_width = 1;
};

} // namespace corvessa::mainwindow
