// SPDX-License-Identifier: GPL-3.0-or-later

#include "resultmodel.h"

#include "search.h"

namespace corvessa::mainwindow {

ResultModel::ResultModel(QObject* parent) : QAbstractListModel(parent) {}

void ResultModel::setListing(store::Listing listing, bool withSource) {
    beginResetModel();
    m_listing = std::move(listing);
    m_withSource = withSource;
    m_width = search::numberWidth(m_listing.count());
    endResetModel();
}

void ResultModel::clear() {
    if (m_listing.count() == 0)
        return;
    beginResetModel();
    m_listing = store::Listing();
    endResetModel();
}

qint64 ResultModel::rowId(int row) const {
    return row >= 0 && row < m_listing.count() ? m_listing.rowid(row) : 0;
}

QString ResultModel::line(int row) const {
    if (row < 0 || row >= m_listing.count())
        return {};
    return search::resultLine(row + 1, m_width, m_listing.name(row),
                              m_withSource ? QVariant(m_listing.source(row)) : QVariant(), m_withSource);
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_listing.count();
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_listing.count())
        return {};
    if (role == Qt::DisplayRole)
        return line(index.row());
    if (role == kRowIdRole)
        return m_listing.rowid(index.row());
    return {};
}

} // namespace corvessa::mainwindow
