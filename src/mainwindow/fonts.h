// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace corvessa::mainwindow {

// The windows are designed with 微软雅黑 and 宋体; where those Windows fonts are missing, map them onto
// installed CJK faces so that captions keep their intended look and width.
void installFontSubstitutions();

} // namespace corvessa::mainwindow
