// The Linux program: the mascot on Qt 6 (X11 through Qt's xcb platform).
#include "mascot/form1.h"
#include "platform/qt/display_check.h"
#include "platform/qt/pixel_scale.h"
#include "platform/qt/qt_toolkit.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (const auto problem = ruvia::platform::qt::displayProblem()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    ruvia::platform::qt::preferX11();
    ruvia::platform::qt::useWholeNumberScaleFactors();

    QApplication app(argc, argv);
    ruvia::platform::qt::QtToolkit toolkit;
    ruvia::mascot::Form1 form(toolkit);
    form.Form_Load();
    if (toolkit.endRequested()) return toolkit.exitCode();
    return QApplication::exec();
}
