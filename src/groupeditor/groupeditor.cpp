// SPDX-License-Identifier: GPL-3.0-or-later

#include "groupeditor.h"

#include "mainwindow/errortext.h"
#include "mainwindow/messenger.h"
#include "skin/skin.h"
#include "store/recordset.h"
#include "store/sqlite.h"
#include "store/store.h"
#include "store/storeerror.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

namespace corvessa::groupeditor {

namespace {

const QString kSelectGroups = QStringLiteral("select * from[分组]");
const QString kDeleteGroups = QStringLiteral("Delete * from[分组]");
const QString kGroupColumn = QStringLiteral("分组");

const QColor kTitleBlue(75, 151, 199);
const QColor kBodyColour(255, 255, 255);
const QColor kHintColour(96, 96, 96);

// The design, in pixels (twips / 15).
constexpr int kWidth = 360;
constexpr int kHeight = 460;
constexpr int kTitleHeight = 32;
constexpr int kBorder = 1;
// The window stands this far above the vertical centre of the screen, as the main window does (350 twips).
constexpr int kAboveCentre = 23;

// The title bar icon: a sheet with lines, the list of groups.
QPixmap titleIcon() {
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(20, 20) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(3.5, 2.5, 13, 15), 2, 2);
    for (qreal y : {7.0, 10.5, 14.0})
        painter.drawLine(QPointF(6.5, y), QPointF(13.5, y));
    return pixmap;
}

// The close image: a white cross on the title blue.
QPixmap closeImage() {
    const qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(18, 18) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4, 4), QPointF(14, 14));
    painter.drawLine(QPointF(14, 4), QPointF(4, 14));
    return pixmap;
}

void fillBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

QStringList groupsFromText(const QString& text) {
    QStringList groups;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            groups << line;
    }
    return groups;
}

QString textFromGroups(const QStringList& groups) {
    QString text;
    for (const QString& group : groups)
        text += group + QLatin1Char('\n');
    return text;
}

GroupEditor::GroupEditor(store::Store& store, mainwindow::Messenger& messenger, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_store(store), m_messenger(messenger) {
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    load();
}

void GroupEditor::buildControls() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("编辑分组"));
    setFixedSize(kWidth, kHeight);
    // A one-pixel frame of title blue around the white body.
    fillBackground(this, kTitleBlue);

    m_picture2 = new QWidget(this);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setGeometry(0, 0, kWidth, kTitleHeight);

    m_image3 = new QLabel(m_picture2);
    m_image3->setObjectName(QStringLiteral("Image3"));
    m_image3->setPixmap(titleIcon());
    m_image3->setGeometry(8, 6, 20, 20);

    m_label11 = new QLabel(QStringLiteral("编辑分组"), m_picture2);
    m_label11->setObjectName(QStringLiteral("Label11"));
    m_label11->setFont(QFont(QStringLiteral("微软雅黑"), 10));
    QPalette titlePalette = m_label11->palette();
    titlePalette.setColor(QPalette::WindowText, Qt::white);
    m_label11->setPalette(titlePalette);
    m_label11->setGeometry(34, 0, 200, kTitleHeight);
    m_label11->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);

    // The icon and the title text are part of the drag area, not targets of their own.
    m_image3->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label11->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_image1 = new QLabel(m_picture2);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(closeImage());
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setGeometry(kWidth - 36, 2, 28, 28);
    m_image1->setCursor(Qt::PointingHandCursor);

    m_picture1 = new QWidget(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    m_picture1->setGeometry(kBorder, kTitleHeight, kWidth - 2 * kBorder, kHeight - kTitleHeight - kBorder);
    fillBackground(m_picture1, kBodyColour);

    const int inner = kWidth - 2 * kBorder;
    m_text1 = new QPlainTextEdit(m_picture1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setFont(QFont(QStringLiteral("微软雅黑"), 12));
    // A group is one line; wrapping would make a long name look like two.
    m_text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text1->setGeometry(12, 12, inner - 24, 330);

    m_label1 = new QLabel(QStringLiteral("提示：分组格式为每行一个"), m_picture1);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setFont(QFont(QStringLiteral("微软雅黑"), 9));
    QPalette hintPalette = m_label1->palette();
    hintPalette.setColor(QPalette::WindowText, kHintColour);
    m_label1->setPalette(hintPalette);
    m_label1->setGeometry(12, 348, inner - 24, 24);

    m_command1 = new QPushButton(QStringLiteral("保  存"), m_picture1);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(inner - 12 - 100, 384, 100, 32);
    connect(m_command1, &QPushButton::clicked, this, [this] { save(); });

    // By keyboard: Tab leaves the text for the button, Enter or Space on the button saves, Ctrl+S saves from
    // anywhere in the window and Escape closes it without saving.
    m_text1->setTabChangesFocus(true);
    m_command1->setAutoDefault(true);
    m_command1->setToolTip(QStringLiteral("保存（Ctrl+S）"));
    auto* saveKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    connect(saveKey, &QShortcut::activated, this, [this] { save(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    m_image1->setToolTip(QStringLiteral("关闭（Esc）"));

    m_text1->setAccessibleName(QStringLiteral("分组"));
    m_text1->setAccessibleDescription(QStringLiteral("每行一个分组；Ctrl+S 保存，Esc 关闭而不保存"));
    m_command1->setAccessibleName(QStringLiteral("保存"));
    m_command1->setAccessibleDescription(m_command1->toolTip());
    m_image1->setAccessibleName(QStringLiteral("关闭"));
    m_image1->setAccessibleDescription(QStringLiteral("关闭而不保存（Esc）"));
    m_label11->setAccessibleName(QStringLiteral("编辑分组"));

    m_picture2->installEventFilter(this);
    m_image1->installEventFilter(this);
}

void GroupEditor::load() {
    // The skin goes on first, so that everything below is drawn in the program's look from the start.
    skin::attachSkin(this);
    placeOnScreen();
    fillBackground(m_picture2, kTitleBlue);

    store::Recordset& rs = m_store.recordset();
    QStringList groups;
    try {
        rs.setLockType(store::adLockOptimistic);
        rs.open(kSelectGroups, m_store.personalConnection());
        rs.requery();
        while (!rs.eof()) {
            groups << rs.field(kGroupColumn).toString();
            rs.moveNext();
        }
        rs.close();
        rs.release();
    } catch (const store::StoreError& error) {
        rs.release();
        m_loadFailure = mainwindow::userMessage(error);
        m_command1->setEnabled(false);
        return;
    }
    m_text1->setPlainText(textFromGroups(groups));
    m_text1->moveCursor(QTextCursor::End);
    m_loaded = true;
}

void GroupEditor::placeOnScreen() {
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2 - kAboveCentre);
}

GroupEditor* GroupEditor::open(store::Store& store, mainwindow::Messenger& messenger, QWidget* parent) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* editor = qobject_cast<GroupEditor*>(window);
        if (editor && editor->isVisible()) {
            editor->raise();
            editor->activateWindow();
            return editor;
        }
    }
    auto* editor = new GroupEditor(store, messenger, parent);
    if (!editor->isLoaded()) {
        const QString failure = editor->loadFailure();
        delete editor;
        messenger.information(parent, QStringLiteral("分组无法读取：\n%1").arg(failure));
        return nullptr;
    }
    editor->show();
    return editor;
}

bool GroupEditor::save() {
    if (!m_loaded)
        return false;
    const QStringList groups = groupsFromText(m_text1->toPlainText());
    try {
        writeGroups(groups);
    } catch (const store::StoreError& error) {
        m_messenger.information(
            this,
            QStringLiteral("分组没有保存，原来的分组都没有改变。\n%1").arg(mainwindow::userMessage(error)));
        return false;
    }
    emit groupsSaved(groups);
    close();
    return true;
}

// Emptying the table and writing the new rows is one transaction: a row the database refuses (a name over 200
// characters) or any other failure rolls everything back, so the table never stays emptied or half written.
void GroupEditor::writeGroups(const QStringList& groups) {
    store::Connection& connection = m_store.connections().connection(m_store.personalConnection());
    store::Recordset& rs = m_store.recordset();
    connection.exec(QStringLiteral("BEGIN IMMEDIATE")); // take the write lock first: see records.cpp
    try {
        rs.open(kDeleteGroups, m_store.personalConnection());
        rs.release();

        rs.setLockType(store::adLockOptimistic);
        rs.setCursorLocation(store::adUseClient);
        rs.open(kSelectGroups, m_store.personalConnection());
        rs.requery();
        for (const QString& group : groups) {
            rs.addNew();
            rs.setField(kGroupColumn, group);
            rs.update();
        }
        rs.requery();
        rs.close();
        rs.release();
        connection.exec(QStringLiteral("COMMIT"));
    } catch (const store::StoreError&) {
        rs.release();
        try {
            connection.exec(QStringLiteral("ROLLBACK"));
        } catch (const store::StoreError&) {
            // A failed COMMIT may already have ended the transaction; then there is nothing left to undo.
        }
        throw;
    }
}

void GroupEditor::startWindowMove() {
    if (QWindow* handle = windowHandle())
        handle->startSystemMove();
}

bool GroupEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_image1) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_closePressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
            return true;
        case QEvent::MouseMove:
            return true; // pressing on the close image never drags the window
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click = m_closePressed && mouse->button() == Qt::LeftButton &&
                               m_image1->rect().contains(mouse->position().toPoint());
            m_closePressed = false;
            if (click)
                close(); // without saving: the table and the pickers stay as they are
            return true;
        }
        default:
            break;
        }
    } else if (watched == m_picture2 && event->type() == QEvent::MouseMove) {
        // Only the left button alone drags, as a caption would.
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::LeftButton) {
            startWindowMove();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace corvessa::groupeditor
