#include "mainwindow.h"

namespace corvessa::mainwindow {

MainWindow::MainWindow(store::Store& store, Messenger& messenger, const QStringList& sourceCatalogue,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_store(store), m_messenger(messenger) {
    Q_UNUSED(sourceCatalogue);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Corvessa V2.0"));
    setFixedSize(1045, 653);
}

} // namespace corvessa::mainwindow
