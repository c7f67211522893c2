// The reference for the time to the first picture: a minimal Qt Widgets
// program showing a small dialog (a label, a line edit and two buttons).
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("reference"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Installer Message:")));
    layout->addWidget(new QLineEdit);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(new QPushButton(QStringLiteral("OK")));
    buttons->addWidget(new QPushButton(QStringLiteral("Cancel")));
    layout->addLayout(buttons);
    dialog.show();
    return application.exec();
}
