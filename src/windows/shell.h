#pragma once

#include <QCloseEvent>
#include <QString>
#include <QWidget>
#include <exception>
#include <utility>

namespace tamberlo {

enum class Window { Form1, Form2, Form3 };

// What the windows ask of the application: navigation, messages, the end of the program and the
// one report of a run-time error.
class Shell {
public:
    virtual ~Shell() = default;

    // Loads the window (building it from its design and running its load step) if needed, then shows it.
    virtual void showWindow(Window window) = 0;
    // Hides and destroys the window once the running command has finished.
    virtual void unloadWindow(Window window) = 0;
    virtual void endProgram() = 0;
    virtual bool hasEnded() const = 0;
    // A modal box titled "Tamberlo" with an OK button.
    virtual void message(const QString &text) = 0;
    // Reports the error in a modal box and on stderr, then ends the program with a failure status.
    virtual void reportRuntimeError(const std::exception &error) = 0;
};

// Wraps an event handler so that no exception crosses Qt's event dispatch, and nothing runs once
// the program has ended.
template <typename Handler>
auto guarded(Shell &shell, Handler handler)
{
    return [&shell, handler = std::move(handler)]() {
        if (shell.hasEnded())
            return;
        try {
            handler();
        } catch (const std::exception &error) {
            shell.reportRuntimeError(error);
        }
    };
}

// One of the program's windows: closing the one open window through its frame ends the program,
// whichever window it is.
class ProgramWindow : public QWidget {
public:
    ProgramWindow(Shell &shell, QWidget *parent) : QWidget(parent), m_shell(shell) {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->accept();
        guarded(m_shell, [this] { m_shell.endProgram(); })();
    }

    Shell &m_shell;
};

} // namespace tamberlo
