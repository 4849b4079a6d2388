#include "application.h"

#include "errorreport.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "messagebox.h"
#include "steptimer.h"
#include "twips.h"

#include <QCoreApplication>

namespace tamberlo {

Application::Application(Platform platform, Module1 &module)
    : m_platform(platform)
    , m_module(module)
{
}

Application::~Application()
{
    delete m_form1.data();
    delete m_form2.data();
    delete m_form3.data();
}

void Application::start()
{
    guarded(*this, [this] { showWindow(Window::Form1); })();
}

QWidget *Application::window(Window window) const
{
    switch (window) {
    case Window::Form1:
        return m_form1;
    case Window::Form2:
        return m_form2;
    case Window::Form3:
        return m_form3;
    }
    return nullptr;
}

QWidget *Application::load(Window window)
{
    // Each window is built from its design afresh, then its load step runs before it is seen.
    switch (window) {
    case Window::Form1:
        m_form1 = new Form1(*this, m_module, m_platform.fileDialog);
        m_form1->onLoad();
        return m_form1;
    case Window::Form2:
        m_form2 = new Form2(*this, m_module, m_platform.clock, m_platform.timer, m_platform.random);
        return m_form2;
    case Window::Form3:
        m_form3 = new Form3(*this, m_module);
        m_form3->onLoad();
        return m_form3;
    }
    return nullptr;
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
    // The running command may belong to this very window: destroy it once control is back in the loop.
    unloaded->deleteLater();
    switch (which) {
    case Window::Form1:
        m_form1.clear();
        break;
    case Window::Form2:
        m_form2.clear();
        break;
    case Window::Form3:
        m_form3.clear();
        break;
    }
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
    for (QWidget *open : {window(Window::Form1), window(Window::Form2), window(Window::Form3)}) {
        if (open)
            open->hide();
    }
    m_platform.timer.stop();
    QCoreApplication::exit(status);
}

QWidget *Application::visibleWindow() const
{
    for (QWidget *open : {window(Window::Form1), window(Window::Form2), window(Window::Form3)}) {
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
