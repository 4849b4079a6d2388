#include "app/application.h"

#include "app/errorreport.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "platform/messagebox.h"
#include "platform/steptimer.h"
#include "platform/twips.h"

#include <QCoreApplication>

namespace tamberlo {

Application::Application(Platform platform, Module1 &module)
    : m_platform(platform)
    , m_module(module)
{
}

Application::~Application()
{
    for (const QPointer<QWidget> &loaded : m_windows)
        delete loaded.data();
}

void Application::start()
{
    guarded(*this, [this] { showWindow(Window::Form1); })();
}

QWidget *Application::window(Window window) const
{
    return m_windows[static_cast<std::size_t>(window)];
}

QWidget *Application::load(Window window)
{
    // Each window is built from its design afresh, and is loaded before its load step runs.
    QPointer<QWidget> &loaded = m_windows[static_cast<std::size_t>(window)];
    switch (window) {
    case Window::Form1: {
        auto *form1 = new Form1(*this, m_module, m_platform.fileDialog);
        loaded = form1;
        form1->onLoad();
        break;
    }
    case Window::Form2:
        loaded = new Form2(*this, m_module, m_platform.clock, m_platform.timer, m_platform.random);
        break;
    case Window::Form3: {
        auto *form3 = new Form3(*this, m_module, m_platform.clock, m_platform.timer);
        loaded = form3;
        form3->onLoad();
        break;
    }
    }
    return loaded;
}

void Application::showWindow(Window which)
{
    if (m_ended)
        return;
    QWidget *shown = window(which);
    if (!shown) {
        shown = load(which);
        centreOnScreen(shown);
    }
    shown->show();
    // Once shown the frame is known: centre the whole window, frame included.
    centreOnScreen(shown);
    shown->activateWindow();
}

void Application::unloadWindow(Window which)
{
    QWidget *unloaded = window(which);
    if (!unloaded)
        return;
    unloaded->hide();
    // The command that unloads a window is that window's own: destroy it once control is back in the loop.
    unloaded->deleteLater();
    m_windows[static_cast<std::size_t>(which)].clear();
}

void Application::endProgram()
{
    end(0);
}

void Application::end(int status)
{
    if (m_ended)
        return;
    m_ended = true;
    m_exitStatus = status;
    for (QWidget *open : m_windows) {
        if (open)
            open->hide();
    }
    m_platform.timer.stop();
    QCoreApplication::exit(status);
}

QWidget *Application::visibleWindow() const
{
    for (QWidget *open : m_windows) {
        if (open && open->isVisible())
            return open;
    }
    return nullptr;
}

void Application::message(const QString &text)
{
    if (m_ended)
        return;
    m_platform.messageBox.show(visibleWindow(), text);
}

void Application::reportRuntimeError(const std::exception &error)
{
    if (m_ended)
        return;
    const QString text = runtimeErrorText(error);
    writeToStderr(text);
    m_platform.messageBox.show(visibleWindow(), text);
    end(1);
}

} // namespace tamberlo
