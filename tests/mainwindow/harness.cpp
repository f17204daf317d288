// SPDX-License-Identifier: GPL-3.0-or-later

#include "harness.h"

#include "mainwindow/fonts.h"
#include "store/codec.h"

#include <QFile>
#include <QMouseEvent>
#include <QTest>

namespace corvessa::testsupport {

namespace {

QString literal(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    QString text = value.toString();
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button) {
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, inside, widget->mapToGlobal(inside), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

Harness::Harness(const QString& libraryJsonl) : m_db(libraryJsonl) {}

TestMainWindow& Harness::open(const QStringList& catalogue) {
    m_window = std::make_unique<TestMainWindow>(m_db.store(), m_messenger, catalogue);
    return *m_window;
}

QStringList Harness::lines(const QString& name) const {
    QStringList result;
    if (name == QLatin1String("List1")) {
        const QAbstractItemModel* model = resultList()->model();
        for (int i = 0; i < model->rowCount(); ++i)
            result << model->index(i, 0).data().toString();
        return result;
    }
    const QListWidget* widget = list(name);
    for (int i = 0; i < widget->count(); ++i)
        result << widget->item(i)->text();
    return result;
}

void Harness::selectLine(int row) {
    QListView* view = resultList();
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

void Harness::clickTab(int tab, Qt::MouseButton button) {
    QWidget* hitArea = label(QStringLiteral("Label2_%1").arg(tab));
    sendMouse(hitArea, QEvent::MouseButtonPress, button);
    sendMouse(hitArea, QEvent::MouseButtonRelease, button);
}

void Harness::clickAction(int index, Qt::MouseButton button) {
    QWidget* hitArea = label(QStringLiteral("Label9_%1").arg(index));
    sendMouse(hitArea, QEvent::MouseButtonPress, button);
    sendMouse(hitArea, QEvent::MouseButtonRelease, button);
}

void Harness::pressEnter(QWidget* widget) {
    QTest::keyClick(widget, Qt::Key_Return);
}

void Harness::type(QWidget* widget, const QString& text) {
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

void Harness::addPersonal(const QString& name, const QString& category, const QString& key,
                          const QString& content, const QVariant& group, const QVariant& source,
                          const QVariant& indications) {
    m_db.execPersonal(
        QStringLiteral("INSERT INTO [中药方剂] ([方名],[出处],[主治],[内容],[类别],[分组],[序号]) "
                       "VALUES (%1,%2,%3,%4,%5,%6,%7)")
            .arg(literal(name), literal(source), literal(indications), literal(store::scramble(content)),
                 literal(category), literal(group), literal(key)));
}

void Harness::addManyPersonal(int count, const QString& prefix, const QString& category) {
    // Built by concatenation: the printf patterns must not meet QString::arg.
    m_db.execPersonal(
        QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < ") +
        QString::number(count) +
        QStringLiteral(") INSERT INTO [中药方剂] ([方名],[出处],[主治],[内容],[类别],[分组],[序号]) "
                       "SELECT ") +
        literal(prefix) + QStringLiteral(" || printf('%05d', x), '测试出处', '测试主治', ") +
        literal(store::scramble(QStringLiteral("【组成】测试"))) + QStringLiteral(", ") + literal(category) +
        QStringLiteral(", '测试组', printf('%012d', x) FROM n"));
}

QStringList Harness::fixtureCatalogue() {
    QFile file(FixtureDatabases::fixtureCatalogue());
    QStringList titles;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                titles << line.trimmed();
        }
    }
    return titles;
}

QString Harness::fixturePath(const QString& name) {
    return QStringLiteral(CORVESSA_MAINWINDOW_FIXTURES "/") + name;
}

void initMainWindowTests() {
    mainwindow::installFontSubstitutions();
}

} // namespace corvessa::testsupport
