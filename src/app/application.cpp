#include "app/application.h"

#include "dictionary/runtimeerror.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "platform/steptimer.h"
#include "windows/form1.h"
#include "windows/form2.h"
#include "windows/form3.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace tamberlo {

bool installJapaneseQtTexts(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
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

QWidget *Application::load(Window window)
{
    // Each window is built from its design afresh, and is loaded before its load step runs.
    QPointer<QWidget> &loaded = m_windows[static_cast<std::size_t>(window)];
    const auto withLoadStep = [&loaded](auto *form) {
        loaded = form;
        form->onLoad();
    };
    switch (window) {
    case Window::Form1:
        withLoadStep(new Form1(*this, m_module, m_platform.fileDialog));
        break;
    case Window::Form2:
        loaded = new Form2(*this, m_module, m_platform.clock, m_platform.timer, m_platform.random);
        break;
    case Window::Form3:
        withLoadStep(new Form3(*this, m_module, m_platform.clock, m_platform.timer));
        break;
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

void Application::end(int status)
{
    if (m_ended)
        return;
    m_ended = true;
    m_exitStatus = status;
    for (QWidget *open : m_windows)
        if (open)
            open->hide();
    m_platform.timer.stop();
    QCoreApplication::exit(status);
}

QWidget *Application::visibleWindow() const
{
    for (QWidget *open : m_windows)
        if (open && open->isVisible())
            return open;
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
    // A RuntimeError's report is whole: its Japanese name, with the file, line and reason where known.
    const auto *runtime = dynamic_cast<const RuntimeError *>(&error);
    const QString text = runtime ? QString::fromUtf8(runtime->what())
                                 : QStringLiteral("実行時エラー: ") + QString::fromLocal8Bit(error.what());
    const QByteArray line = (QStringLiteral("tamberlo: ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
    m_platform.messageBox.show(visibleWindow(), text);
    end(1);
}

} // namespace tamberlo
