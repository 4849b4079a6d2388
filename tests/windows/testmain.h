#pragma once

#include "app/application.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QTest>

// Window tests run on the offscreen platform unless told otherwise, with the program's fonts
// and Qt's Japanese texts.
#define TAMBERLO_QTEST_MAIN(TestClass)                                   \
    int main(int argc, char *argv[])                                     \
    {                                                                    \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))               \
            qputenv("QT_QPA_PLATFORM", "offscreen");                     \
        QApplication app(argc, argv);                                    \
        QApplication::setQuitOnLastWindowClosed(false);                  \
        tamberlo::installFontSubstitutes();                              \
        tamberlo::installJapaneseQtTexts(app);                           \
        TestClass test;                                                  \
        return QTest::qExec(&test, argc, argv);                          \
    }
