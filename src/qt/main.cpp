#include "program/Program.h"
#include "qt/FrameWindow.h"
#include "qt/ProgramWindows.h"
#include "qt/QtDesktop.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The program folder is the executable's; message boxes without a title of their own
    // show the program's name. (Not set as Qt's display name: Qt would append that to
    // every window title.)
    qtui::QtDesktop desktop({{}, {}, "Quolby2018 SysAdmin"});

    program::Program program;
    qtui::ProgramWindows windows(program);
    desktop.setMainWindow(&windows.frame());
    QObject::connect(&windows.frame(), &qtui::FrameWindow::unloaded, &app, &QCoreApplication::quit);

    // A second copy, or a start that unloads the frame, ends here without a window.
    if (!program.start()) return 0;
    return QApplication::exec();
}
