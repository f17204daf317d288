// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QWidget;

namespace corvessa::mainwindow {

// Every message box of the program goes through here, titled "提示": information with OK only, and the delete
// confirmation with Yes/No and the warning icon. Tests put a scripted
// double (tests/support) in place of the real modal boxes.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void information(QWidget* parent, const QString& text) = 0;
    // True only when the user answers Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
};

class DialogMessenger : public Messenger {
public:
    void information(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
};

} // namespace corvessa::mainwindow
