// SPDX-License-Identifier: GPL-3.0-or-later

#include "fonts.h"

#include <QFont>
#include <QStringList>

namespace corvessa::mainwindow {

void installFontSubstitutions() {
    // The 花园明朝 pair (HanaMinA, HanaMinB) comes last: it draws the rare characters of CJK Extensions A to
    // F that the library stores (𠻳, 䓖, …) where the other fonts would leave boxes.
    QFont::insertSubstitutions(QStringLiteral("微软雅黑"),
                               {QStringLiteral("Microsoft YaHei"), QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                                QStringLiteral("Droid Sans Fallback"), QStringLiteral("HanaMinA"),
                                QStringLiteral("HanaMinB")});
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("AR PL UMing CN"), QStringLiteral("WenQuanYi Micro Hei"),
                                QStringLiteral("Noto Sans CJK SC"), QStringLiteral("HanaMinA"),
                                QStringLiteral("HanaMinB")});
}

} // namespace corvessa::mainwindow
