#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace corvessa::mainwindow {

// Every message box of the program goes through here, titled "提示": information with OK only, and the delete
// confirmation with Yes/No and the warning icon. Tests use ScriptedMessenger instead of real modal boxes.
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

// Records every text shown and answers confirmations from a script (Yes when the script is empty).
class ScriptedMessenger : public Messenger {
public:
    void information(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;

    void setNextAnswer(bool yes) { m_answers.append(yes); }
    const QStringList& shown() const { return m_shown; }
    QString last() const { return m_shown.isEmpty() ? QString() : m_shown.last(); }
    void clear() { m_shown.clear(); }

private:
    QStringList m_shown;
    QList<bool> m_answers;
};

} // namespace corvessa::mainwindow
