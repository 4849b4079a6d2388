#pragma once

// Test doubles for the platform seams, a harness that runs the real Application on them, and the
// file helpers the window tests share.

#include "app/application.h"
#include "dictionary/module1.h"
#include "dictionary/systemreason.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/steptimer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <deque>
#include <functional>
#include <optional>
#include <utility>

namespace tamberlo::testing {

class FakeMessageBox final : public MessageBox {
public:
    void show(QWidget *over, const QString &text) override
    {
        shown << text;
        parent = over;
        if (onShow)
            onShow(text);
    }
    QStringList shown;
    QWidget *parent = nullptr; // the window the last one was shown over
    std::function<void(const QString &)> onShow;
};

// Answers each dialog with the next queued answer: a path to confirm, or nullopt to cancel.
class FakeFileDialog final : public FileDialog {
public:
    std::optional<QString> getOpenFileName(QWidget *, const OpenFileRequest &request) override
    {
        requests.push_back(request);
        if (answers.empty())
            return std::nullopt;
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<std::optional<QString>> answers;
    std::vector<OpenFileRequest> requests;
};

class FakeClock final : public MillisecondClock {
public:
    qint64 nowMs() const override { return now; }
    qint64 now = 1000;
};

// Holds the one step due. Each fire() handles the pending Qt events, moves the fake clock on to
// the step's time (by `step` when it was due at once) and runs it.
class FakeStepTimer final : public StepTimer {
public:
    explicit FakeStepTimer(FakeClock &clock) : m_clock(clock) {}
    void start(std::int32_t ms, std::function<void()> next) override
    {
        m_due = ms > 0 ? ms : step;
        m_next = std::move(next);
    }
    void stop() override { m_next = nullptr; }
    bool fire()
    {
        QCoreApplication::processEvents();
        if (!m_next)
            return false;
        ++fired;
        m_clock.now += m_due;
        std::exchange(m_next, nullptr)();
        return true;
    }
    int fired = 0;
    qint64 step = 0;

private:
    FakeClock &m_clock;
    std::function<void()> m_next;
    qint64 m_due = 0;
};

class FakeRandom final : public RandomDraw {
public:
    float reseedAndDraw() override
    {
        ++draws;
        if (values.empty())
            return 0.0f;
        const float value = values.front();
        if (values.size() > 1)
            values.pop_front();
        return value;
    }
    std::deque<float> values;
    int draws = 0;
};

// A file's bytes, or "<missing>" when there is none to read.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The system's reason for `err`, as a window shows it after its own message.
inline QString reason(int err) { return QString::fromStdString(systemReason(err)); }

// The process works in a fresh folder of its own until this goes, then returns where it was.
class WorkingDirectory {
public:
    WorkingDirectory() : m_old(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~WorkingDirectory() { QDir::setCurrent(m_old); }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

struct Harness {
    QTemporaryDir folder; // for the dictionary, outliving the windows
    FakeMessageBox messageBox;
    FakeFileDialog fileDialog;
    FakeClock clock;
    FakeStepTimer timer{clock};
    FakeRandom random;
    Module1 module;
    Application app{{messageBox, fileDialog, clock, timer, random}, module};

    template <typename T = QWidget>
    T *control(Window window, const char *name) const
    {
        QWidget *w = app.window(window);
        return w ? w->findChild<T *>(QLatin1String(name)) : nullptr;
    }

    void click(Window window, const char *button)
    {
        QPushButton *b = control<QPushButton>(window, button);
        QVERIFY2(b, button);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    // Makes `bytes` the current dictionary and gives its path.
    QString useDictionary(const QByteArray &bytes)
    {
        const QString path = folder.filePath(QStringLiteral("words.tmb"));
        writeBytes(path, bytes);
        module.DictionaryPath = QFile::encodeName(path).toStdString();
        return path;
    }
};

} // namespace tamberlo::testing
