// SPDX-License-Identifier: GPL-3.0-or-later

#include "layout.h"

#include "pictures.h"
#include "resultmodel.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTimer>

namespace corvessa::mainwindow {

namespace {

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

template <class T> T* make(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QFrame* makePanel(QWidget* parent, const QString& name, const QRect& geometry, const QColor& colour) {
    auto* panel = make<QFrame>(parent, name, geometry);
    panel->setFrameShape(QFrame::NoFrame);
    setBackground(panel, colour);
    return panel;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& text) {
    auto* label = make<QLabel>(parent, name, geometry);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// A transparent label laid over a control to take its mouse input.
QLabel* makeHitArea(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* label = make<QLabel>(parent, name, geometry);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    return label;
}

// A line drawn as a one-pixel panel.
QFrame* makeLine(QWidget* parent, const QString& name, const QRect& geometry) {
    return makePanel(parent, name, geometry, colours::kLineGrey);
}

QPushButton* makeHiddenButton(QWidget* parent, const QString& name, const QRect& geometry,
                              const QString& text) {
    auto* button = make<QPushButton>(parent, name, geometry);
    button->setText(text);
    button->hide();
    return button;
}

QFont inputFont() {
    QFont font(QStringLiteral("微软雅黑"));
    font.setPointSizeF(12);
    return font;
}

QFont listFont() {
    QFont font(QStringLiteral("微软雅黑"));
    font.setPointSizeF(10.5);
    return font;
}

QFont windowFont() {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(9);
    return font;
}

QLineEdit* makeInput(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* edit = make<QLineEdit>(parent, name, geometry);
    edit->setFont(inputFont());
    return edit;
}

QComboBox* makeGroupBox(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* box = make<QComboBox>(parent, name, geometry);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // What is typed stays what is typed: no group name is completed into the box while typing.
    box->setCompleter(nullptr);
    box->setFont(inputFont());
    return box;
}

template <class List = QListWidget>
List* makeList(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* list = make<List>(parent, name, geometry);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true); // a full listing has tens of thousands of lines
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

// Every line of a list box gets the same height, whatever its font would ask for.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    FixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_height);
        return size;
    }
    int height() const { return m_height; }

private:
    int m_height;
};

// One action button: a grey box with its caption and a hit area over the whole box.
void makeActionButton(Form1Controls& c, int index, QWidget* parent, const QRect& box, const QRect& caption,
                      const QString& text) {
    QFrame* panel = makePanel(parent, arrayName("Picture5", index), box, colours::kPanelGrey);
    c.picture5[size_t(index)] = panel;
    QLabel* label = makeLabel(panel, arrayName("Label3", index), caption, text);
    label->setAlignment(Qt::AlignCenter);
    c.label3[size_t(index)] = label;
    c.label9[size_t(index)] = makeHitArea(panel, arrayName("Label9", index), QRect(QPoint(), box.size()));
}

void buildTitleBar(Form1Controls& c) {
    c.picture2 =
        makePanel(c.picture1, QStringLiteral("Picture2"), twipsRect(0, 0, 17630, 435), colours::kTitleBlue);
    c.image3 = make<QLabel>(c.picture2, QStringLiteral("Image3"), QRect(6, 6, 18, 18));
    c.image3->setPixmap(pictures::programIcon(18));
    c.label11 = makeLabel(c.picture2, QStringLiteral("Label11"), twipsRect(420, 120, 2070, 180), kTitleText);
    setTextColour(c.label11, colours::kWhite);
    // The bar is wider than the window; the close image sits at the right end of the part that shows.
    const int windowWidth = px(15675);
    c.image1 = make<QLabel>(c.picture2, QStringLiteral("Image1"),
                            QRect(windowWidth - pictures::kCloseImageWidth - 6, 0, pictures::kCloseImageWidth,
                                  pictures::kCloseImageHeight));
    c.image1->setPixmap(pictures::closeImage());
    c.image1->setCursor(Qt::PointingHandCursor);
}

void buildTabStrip(Form1Controls& c) {
    c.picture3 =
        makePanel(c.picture1, QStringLiteral("Picture3"), twipsRect(0, 420, 17630, 735), colours::kPanelGrey);
    static const char16_t* const captions[kTabCount] = {u"中药方剂", u"我的收藏", u"个人验方", u"中药饮片",
                                                        u"操作教程"};
    // The mode tabs stand left of the separator line; the tutorial tab stands to its right.
    static const int lefts[kTabCount] = {120, 1440, 2760, 4080, 5520};
    for (int i = 0; i < kTabCount; ++i) {
        QFrame* tab = makePanel(c.picture3, arrayName("Picture4", i), twipsRect(lefts[i], 120, 1215, 495),
                                colours::kPanelGrey);
        tab->setFrameShape(QFrame::Box); // the designed border; the load handler takes it off
        tab->setLineWidth(1);
        c.picture4[size_t(i)] = tab;
        c.image2[size_t(i)] = make<QLabel>(tab, arrayName("Image2", i),
                                           QRect(px(120) - 2, (px(495) - pictures::kTabIconSize) / 2,
                                                 pictures::kTabIconSize, pictures::kTabIconSize));
        c.image2[size_t(i)]->setPixmap(pictures::tabIcon(i));
        c.label1[size_t(i)] =
            makeLabel(tab, arrayName("Label1", i), twipsRect(360, 180, i == 0 ? 780 : 720, 180),
                      QString::fromUtf16(captions[i]));
        c.label2[size_t(i)] = makeHitArea(tab, arrayName("Label2", i), twipsRect(720, 0, 1215, 555));
    }
    QFont selected(QStringLiteral("宋体"));
    selected.setPointSizeF(9);
    selected.setBold(true);
    c.label1[0]->setFont(selected);
    setTextColour(c.label1[0], colours::kTeal);

    c.line1 = makeLine(c.picture3, QStringLiteral("Line1"), QRect(px(5400), px(180), 1, px(600) - px(180)));
    c.label10 = makeLabel(c.picture3, QStringLiteral("Label10"), twipsRect(12000, 300, 2970, 180),
                          kAdvertisementText);
    setTextColour(c.label10, colours::kTeal);
    c.label10->setCursor(Qt::PointingHandCursor);

    c.command2 = makeHiddenButton(c.picture3, QStringLiteral("Command2"), twipsRect(8940, 240, 735, 315),
                                  QStringLiteral("中药"));
    c.command3 = makeHiddenButton(c.picture3, QStringLiteral("Command3"), twipsRect(9720, 240, 735, 315),
                                  QStringLiteral("个人"));
    c.command4 = makeHiddenButton(c.picture3, QStringLiteral("Command4"), twipsRect(10440, 240, 735, 315),
                                  QStringLiteral("保存"));
    c.command5 = makeHiddenButton(c.picture3, QStringLiteral("Command5"), twipsRect(11160, 240, 735, 315),
                                  QStringLiteral("教科书"));
}

void buildSearchColumn(Form1Controls& c) {
    QWidget* body = c.picture1;
    c.label5 =
        makeLabel(body, QStringLiteral("Label5"), twipsRect(120, 1320, 480, 315), QStringLiteral("名称"));
    c.text1 = makeInput(body, QStringLiteral("Text1"), twipsRect(720, 1260, 3795, 435));
    c.label6 =
        makeLabel(body, QStringLiteral("Label6"), twipsRect(120, 1800, 480, 315), QStringLiteral("出处"));
    c.text3 = makeInput(body, QStringLiteral("Text3"), twipsRect(720, 1740, 3795, 435));
    c.label14 =
        makeLabel(body, QStringLiteral("Label14"), twipsRect(120, 1800, 480, 315), QStringLiteral("分组"));
    c.text6 = makeGroupBox(body, QStringLiteral("text6"), twipsRect(720, 1740, 2775, 435));
    c.label7 =
        makeLabel(body, QStringLiteral("Label7"), twipsRect(120, 2280, 480, 315), QStringLiteral("主治"));
    c.text4 = makeInput(body, QStringLiteral("Text4"), twipsRect(720, 2220, 3795, 435));
    // One row below the "查   询" button, where the result list began; the list starts a row lower.
    c.label17 =
        makeLabel(body, QStringLiteral("Label17"), twipsRect(120, 3360, 480, 315), QStringLiteral("组成"));
    c.text7 = makeInput(body, QStringLiteral("Text7"), twipsRect(720, 3300, 3795, 435));
    for (QLabel* caption : {c.label5, c.label6, c.label14, c.label7, c.label17})
        caption->setFont(inputFont());
    c.label8 = makeLabel(body, QStringLiteral("Label8"), twipsRect(120, 2880, 2880, 180),
                         QStringLiteral("多个症状用逗号隔开，如腹痛，呕吐"));
    setTextColour(c.label8, colours::kTeal);

    makeActionButton(c, kActionEditGroups, body, twipsRect(3540, 1740, 975, 435),
                     twipsRect(120, 120, 720, 180), QStringLiteral("编辑分组"));
    makeActionButton(c, kActionSearch, body, twipsRect(3180, 2760, 1335, 435), twipsRect(360, 120, 630, 180),
                     QStringLiteral("查   询"));
    // Created after the "查   询" button, so that the result list lies above it where the two overlap.
    c.list1 = makeList<QListView>(body, QStringLiteral("List1"), twipsRect(60, 3780, 4455, 5280));
    c.list1->setFont(listFont());
    c.results = new ResultModel(c.list1);
    c.list1->setModel(c.results);
}

void buildDetailAndPanels(Form1Controls& c) {
    QWidget* body = c.picture1;
    c.text2 = make<QPlainTextEdit>(body, QStringLiteral("Text2"), twipsRect(4620, 1260, 10935, 7335));
    c.text2->setFont(inputFont());
    c.text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    c.text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.label16 = makeLabel(body, QStringLiteral("Label16"), twipsRect(4680, 8880, 6300, 180), kSearchHintText);
    setTextColour(c.label16, colours::kRed);

    const QRect narrowCaption = twipsRect(360, 120, 630, 180);
    const QRect wideCaption = twipsRect(300, 120, 1260, 180);
    const QRect firstBox = twipsRect(360, 0, 1335, 435);
    const QRect secondBox = twipsRect(1740, 0, 1875, 435);
    for (int i = 0; i < 2; ++i) {
        c.picture6[size_t(i)] =
            makePanel(body, arrayName("Picture6", i), twipsRect(11940, 8760, 3675, 495), colours::kWhite);
    }
    makeActionButton(c, kActionFavourite, c.picture6[0], firstBox, narrowCaption, QStringLiteral("收   藏"));
    makeActionButton(c, kActionCopyFromLibrary, c.picture6[0], secondBox, wideCaption,
                     QStringLiteral("复制到个人经方"));
    makeActionButton(c, kActionDeleteFavourite, c.picture6[1], firstBox, narrowCaption,
                     QStringLiteral("删   除"));
    makeActionButton(c, kActionCopyFromFavourite, c.picture6[1], secondBox, wideCaption,
                     QStringLiteral("复制到个人经方"));

    QFrame* personal =
        makePanel(body, arrayName("Picture6", 2), twipsRect(4620, 8760, 10995, 495), colours::kWhite);
    c.picture6[2] = personal;
    c.label12 =
        makeLabel(personal, QStringLiteral("Label12"), twipsRect(0, 60, 480, 315), QStringLiteral("名称"));
    c.text5 = makeInput(personal, QStringLiteral("Text5"), twipsRect(600, 0, 2775, 435));
    c.label13 =
        makeLabel(personal, QStringLiteral("Label13"), twipsRect(3480, 60, 480, 315), QStringLiteral("分组"));
    c.c1 = makeGroupBox(personal, QStringLiteral("C1"), twipsRect(4080, 0, 2595, 435));
    for (QLabel* caption : {c.label12, c.label13})
        caption->setFont(inputFont());
    makeActionButton(c, kActionAdd, personal, twipsRect(6840, 0, 1335, 435), narrowCaption,
                     QStringLiteral("添   加"));
    makeActionButton(c, kActionSave, personal, twipsRect(8220, 0, 1335, 435), narrowCaption,
                     QStringLiteral("保   存"));
    makeActionButton(c, kActionDeletePersonal, personal, twipsRect(9600, 0, 1335, 435), narrowCaption,
                     QStringLiteral("删   除"));
}

void buildFooterAndHidden(Form1Controls& c) {
    QWidget* body = c.picture1;
    c.line2 = makeLine(body, QStringLiteral("Line2"), QRect(0, px(9420), px(15660) + 1, 1));
    c.label4 = makeLabel(body, QStringLiteral("Label4"), twipsRect(60, 9480, 5670, 180), kVersionText);
    setTextColour(c.label4, colours::kGrey);
    c.label4->setCursor(Qt::PointingHandCursor);
    c.label15 = makeLabel(body, QStringLiteral("Label15"), twipsRect(6420, 9480, 1695, 315), QString());
    c.label15->hide();

    c.list2 = makeList(body, QStringLiteral("List2"), twipsRect(6300, 2580, 3795, 5760));
    c.list2->setFont(listFont());
    c.list2->hide();
    c.list5 = makeList(body, QStringLiteral("List5"), twipsRect(8220, 2580, 2835, 4740));
    c.list5->hide();
    c.list3 = makeList(body, QStringLiteral("List3"), twipsRect(10980, 3240, 1335, 1320));
    c.list3->hide();
    c.dir1 = makeList(body, QStringLiteral("Dir1"), twipsRect(12900, 3420, 1215, 510));
    c.dir1->hide();
    c.command1 = makeHiddenButton(body, QStringLiteral("Command1"), twipsRect(8220, 660, 735, 315),
                                  QStringLiteral("查询"));
}

} // namespace

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

void setListItemHeight(QAbstractItemView* list, int pixels) {
    auto* old = list->itemDelegate();
    list->setItemDelegate(new FixedHeightDelegate(pixels, list));
    if (old && old->parent() == list)
        old->deleteLater();
    list->setUpdatesEnabled(true);
    list->doItemsLayout();
}

Form1Controls buildForm1(QWidget* form) {
    form->setFont(windowFont());
    Form1Controls c;
    c.picture1 = makePanel(form, QStringLiteral("Picture1"), twipsRect(5, 0, 15675, 9795), colours::kWhite);
    buildTitleBar(c);
    buildTabStrip(c);
    buildSearchColumn(c);
    buildDetailAndPanels(c);
    buildFooterAndHidden(c);
    // The source picker drops over the search column and the result list.
    c.list2->raise();

    c.timer1 = new QTimer(form);
    c.timer1->setObjectName(QStringLiteral("Timer1"));
    c.timer1->setInterval(2000);
    return c;
}

} // namespace corvessa::mainwindow
