// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "corvessa/version.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QAbstractItemView;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace corvessa::mainwindow {

class ResultModel;

// Positions are designed in twips; at 96 dots per inch fifteen of them make one device-independent pixel.
constexpr int kTwipsPerPixel = 15;
inline int px(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}
inline QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// The four mode tabs (index = mode) and the tutorial tab after them.
constexpr int kModeTabCount = 4;
constexpr int kTutorialTab = 4;
constexpr int kTabCount = 5;
// The nine action buttons, by the index their operation is chosen by.
constexpr int kActionCount = 9;
enum ActionIndex {
    kActionSearch = 0,
    kActionFavourite = 1,
    kActionCopyFromLibrary = 2,
    kActionDeleteFavourite = 3,
    kActionCopyFromFavourite = 4,
    kActionSave = 5,
    kActionDeletePersonal = 6,
    kActionAdd = 7,
    kActionEditGroups = 8,
};
constexpr int kPanelCount = 3; // Picture6: library, favourites, personal

namespace colours {
inline const QColor kTitleBlue(75, 151, 199);
inline const QColor kPanelGrey(237, 238, 238);
inline const QColor kPressedGrey(192, 192, 192);
inline const QColor kLineGrey(192, 192, 192);
inline const QColor kTeal(0, 128, 128);   // &H00808000
inline const QColor kRed(255, 0, 0);      // &H000000FF
inline const QColor kGrey(128, 128, 128); // &H00808080
inline const QColor kWhite(255, 255, 255);
} // namespace colours

// Every control of Form1. The objectName of each is its designed name; control array elements are "Name_i".
struct Form1Controls {
    QFrame* picture1 = nullptr; // body panel, holds everything

    QFrame* picture2 = nullptr; // title bar
    QLabel* image3 = nullptr;   // program icon
    QLabel* label11 = nullptr;  // title
    QLabel* image1 = nullptr;   // close image

    QFrame* picture3 = nullptr; // tab strip
    std::array<QFrame*, kTabCount> picture4{};
    std::array<QLabel*, kTabCount> image2{}; // tab icons
    std::array<QLabel*, kTabCount> label1{}; // tab captions
    std::array<QLabel*, kTabCount> label2{}; // tab hit areas
    QFrame* line1 = nullptr;                 // separator before the tutorial tab
    QLabel* label10 = nullptr;               // advertisement line
    QPushButton* command2 = nullptr;         // hidden: herbal search
    QPushButton* command3 = nullptr;         // hidden: personal search
    QPushButton* command4 = nullptr;         // hidden: save
    QPushButton* command5 = nullptr;         // hidden: textbook list

    QLabel* label5 = nullptr; // "名称"
    QLineEdit* text1 = nullptr;
    QLabel* label6 = nullptr; // "出处"
    QLineEdit* text3 = nullptr;
    QLabel* label14 = nullptr; // "分组"
    QComboBox* text6 = nullptr;
    QLabel* label7 = nullptr; // "主治"
    QLineEdit* text4 = nullptr;
    QLabel* label8 = nullptr; // keyword hint
    // The ingredient search under 主治: names after the last ones the window uses (Label17, Text7).
    QLabel* label17 = nullptr; // "组成"
    QLineEdit* text7 = nullptr;

    std::array<QFrame*, kActionCount> picture5{}; // action buttons
    std::array<QLabel*, kActionCount> label3{};   // their captions
    std::array<QLabel*, kActionCount> label9{};   // their hit areas

    QListView* list1 = nullptr;      // result list, over `results`
    ResultModel* results = nullptr;  // its lines
    QListWidget* list2 = nullptr;    // source picker
    QPlainTextEdit* text2 = nullptr; // detail view
    QLabel* label16 = nullptr;       // search hint

    std::array<QFrame*, kPanelCount> picture6{};
    QLabel* label12 = nullptr; // "名称" of the personal editor
    QLineEdit* text5 = nullptr;
    QLabel* label13 = nullptr; // "分组" of the personal editor
    QComboBox* c1 = nullptr;

    QFrame* line2 = nullptr;         // bottom line
    QLabel* label4 = nullptr;        // version line
    QLabel* label15 = nullptr;       // hidden: selected record key
    QListWidget* list5 = nullptr;    // hidden: source catalogue
    QListWidget* list3 = nullptr;    // hidden: backup helper
    QListWidget* dir1 = nullptr;     // hidden: backup helper
    QPushButton* command1 = nullptr; // hidden: library search
    QTimer* timer1 = nullptr;
};

// Creates every control of Form1 inside `form` in its designed place and state (before the load handler
// runs).
Form1Controls buildForm1(QWidget* form);

// Sets the height of every line of a list box and lets it repaint.
void setListItemHeight(QAbstractItemView* list, int pixels);

void setBackground(QWidget* widget, const QColor& colour);
QColor background(const QWidget* widget);
void setTextColour(QLabel* label, const QColor& colour);
QColor textColour(const QLabel* label);

// Texts of the window that more than one concern shows.
inline const QString kTitleText = QStringLiteral("Corvessa V" CORVESSA_VERSION);
inline const QString kSearchHintText = QStringLiteral("提示：点“查询”按钮，可在近十万首方剂中搜索！");
inline const QString kAdvertisementText = QStringLiteral("新版查方技巧与资料更新，点此查看");
inline const QString kVersionText =
    QStringLiteral("版本：" CORVESSA_VERSION "　Corvessa 开发组　点此查看数据来源与许可");

} // namespace corvessa::mainwindow
