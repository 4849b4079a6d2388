#include "app/application.h"
#include "dictionary/module1.h"
#include "platform/clock.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "platform/steptimer.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("tamberlo: no display to open its window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                   stderr);
        return EXIT_FAILURE;
    }

    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tamberlo"));
    QApplication::setApplicationVersion(QStringLiteral(TAMBERLO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tamberlo.Tamberlo"));
    QApplication::setWindowIcon(tamberlo::programIcon());
    // Windows are unloaded by hiding them; only an explicit end, or closing a window, ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    tamberlo::installFontSubstitutes();
    if (!tamberlo::installJapaneseQtTexts(qtApp))
        std::fputs("tamberlo: Qt's Japanese texts (qtbase_ja, package qt6-translations-l10n) are missing; "
                   "its dialogs stay in English\n",
                   stderr);

    tamberlo::QtMessageBox messageBox;
    tamberlo::QtFileDialog fileDialog;
    tamberlo::SteadyClock clock;
    tamberlo::PreciseStepTimer timer;
    tamberlo::ClockSeededRandom random;
    tamberlo::Module1 module;
    tamberlo::Application app({messageBox, fileDialog, clock, timer, random}, module);

    app.start();
    // A run-time error in start() has been reported and has ended the program before the loop.
    if (!app.hasEnded())
        QApplication::exec();
    return app.exitStatus();
}
