// SPDX-License-Identifier: GPL-3.0-or-later

// Writes a picture of skinned controls and a skinned message box, for the documentation.
//
//   QT_QPA_PLATFORM=offscreen ./bench/skin/skin_snapshot docs/skin-controls.png

#include "skin/skin.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("skin-controls.png");

    QWidget form;
    form.setObjectName("Form1");
    form.setWindowTitle("Corvessa");
    auto* grid = new QGridLayout(&form);
    grid->addWidget(new QLabel("方名"), 0, 0);
    grid->addWidget(new QLineEdit("小柴胡汤"), 0, 1);
    auto* source = new QComboBox;
    source->setEditable(true);
    source->addItems({"伤寒论", "金匮要略"});
    grid->addWidget(source, 0, 2);
    auto* group = new QComboBox;
    group->addItems({"内科", "外科"});
    grid->addWidget(group, 1, 2);
    auto* search = new QPushButton("查   询");
    grid->addWidget(search, 1, 1);
    auto* disabled = new QPushButton("删   除");
    disabled->setEnabled(false);
    grid->addWidget(disabled, 1, 0);
    auto* check = new QCheckBox("只看收藏");
    check->setChecked(true);
    grid->addWidget(check, 2, 0);
    auto* option = new QRadioButton("中药方剂");
    option->setChecked(true);
    grid->addWidget(option, 2, 1);
    grid->addWidget(new QRadioButton("中药饮片"), 2, 2);
    auto* table = new QTableWidget(3, 3);
    table->setHorizontalHeaderLabels({"方名", "出处", "主治"});
    table->setItem(0, 0, new QTableWidgetItem("小柴胡汤"));
    table->setItem(0, 1, new QTableWidgetItem("伤寒论"));
    grid->addWidget(table, 3, 0, 1, 3);
    auto* progress = new QProgressBar;
    progress->setRange(0, 30000);
    progress->setValue(18000);
    progress->setTextVisible(false);
    grid->addWidget(progress, 4, 0, 1, 3);
    form.resize(420, 330);

    corvessa::skin::attachSkin(&form);
    form.show();
    QMessageBox box(QMessageBox::NoIcon, "提示", "已收藏！", QMessageBox::Ok, &form);
    box.show();
    QApplication::processEvents();

    const QPixmap left = form.grab();
    const QPixmap right = box.grab();
    QPixmap sheet(left.width() + right.width() + 30, qMax(left.height(), right.height()) + 20);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawPixmap(10, 10, left);
    p.drawPixmap(left.width() + 20, 10, right);
    p.end();
    return sheet.save(out) ? 0 : 1;
}
