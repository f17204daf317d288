// SPDX-License-Identifier: GPL-3.0-or-later

#include "grouppickers.h"

#include <QComboBox>

namespace corvessa::mainwindow {

void refillGroupPickers(QComboBox* text6, QComboBox* c1, const QStringList& groups) {
    for (QComboBox* box : {text6, c1}) {
        if (!box)
            continue;
        box->clear();
        box->addItem(kAllGroups);
        box->addItems(groups);
        box->setCurrentIndex(-1);
        if (box->isEditable())
            box->setEditText(QString());
    }
}

} // namespace corvessa::mainwindow
