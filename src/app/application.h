#pragma once

// How Tamberlo fits together. One Application lives for the whole process. It owns the shared
// state (Module1, whose DictionaryPath names the current dictionary) and the platform seams, and it
// loads, shows and unloads the three windows: Form1, the main menu, which alone writes
// DictionaryPath; Form2, the flash drill; Form3, word entry. Exactly one window is open at a time.
// The windows read and append dictionary files only through the Qt-free core in src/dictionary/,
// each operation opening and closing the file itself. A failure they do not handle is an exception:
// every handler is wrapped where it is connected (guarded()), so the error reaches
// reportRuntimeError() here, which shows it, writes it to stderr and ends the program.

#include "windows/shell.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QCoreApplication;

namespace tamberlo {

class FileDialog;
class MessageBox;
class MillisecondClock;
class RandomDraw;
class StepTimer;
struct Module1;

struct Platform {
    MessageBox &messageBox;
    FileDialog &fileDialog;
    const MillisecondClock &clock;
    StepTimer &timer;
    RandomDraw &random;
};

class Application final : public Shell {
public:
    Application(Platform platform, Module1 &module) : m_platform(platform), m_module(module) {}
    ~Application() override;

    // Loads and shows the main menu.
    void start();

    int exitStatus() const { return m_exitStatus; }
    // The loaded instance of a window, or null.
    QWidget *window(Window window) const { return m_windows[static_cast<std::size_t>(window)]; }

    void showWindow(Window window) override;
    void unloadWindow(Window window) override;
    void endProgram() override { end(0); }
    bool hasEnded() const override { return m_ended; }
    void message(const QString &text) override;
    void reportRuntimeError(const std::exception &error) override;

private:
    void end(int status);
    QWidget *load(Window window);
    QWidget *visibleWindow() const;

    Platform m_platform;
    Module1 &m_module;
    std::array<QPointer<QWidget>, 3> m_windows; // the loaded windows, in the order of Window
    bool m_ended = false;
    int m_exitStatus = 0;
};

// Qt's own texts (the file dialog and its warnings, message box buttons) in Japanese whatever the
// user's locale, since the whole interface is Japanese. False when Qt's Japanese catalogue
// (qt6-translations-l10n) is missing: Qt's texts then stay English.
bool installJapaneseQtTexts(QCoreApplication &app);

} // namespace tamberlo
