#pragma once

#include <QWidget>

namespace corvessa::store {
class Store;
}

namespace corvessa::mainwindow {

class Messenger;

// The program's one long-lived window (Form1).
class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(store::Store& store, Messenger& messenger, const QStringList& sourceCatalogue,
               QWidget* parent = nullptr);

private:
    store::Store& m_store;
    Messenger& m_messenger;
};

} // namespace corvessa::mainwindow
