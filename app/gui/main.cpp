// qb41: the desktop program.
#include "application.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QB41"));
    QApplication::setOrganizationName(QStringLiteral("QB41"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    qb41::gui::Application program(qb41::gui::ParseCommandLine(arguments));
    program.start();
    return QApplication::exec();
}
