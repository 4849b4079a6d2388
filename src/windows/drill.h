#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tamberlo {

class RandomDraw;
class Shell;
class StepTimer;

// The flash drill as steps on the event loop; the step timer runs each, and each returns at once:
//   start:   count the entries, once; the first word follows once pending events are handled.
//   word:    reseed and draw, pick an entry, read and split it afresh, show its number and its
//            word; Wait half a period.
//   meaning: show the meaning; Wait half a period, the speed read afresh.
//   clear:   clear the meaning; the next word follows once pending events are handled.
// Ending the program stops the timer, and with it the drill.
class Drill {
public:
    // What the window shows and where it keeps the speed.
    struct View {
        std::function<std::string()> speed;
        std::function<void(const QString &number)> showNumber;
        std::function<void(const QString &word)> showWord;
        std::function<void(const QString &meaning)> showMeaning;
        std::function<void()> clearMeaning;
    };

    Drill(Shell &shell, StepTimer &timer, RandomDraw &random, View view);
    ~Drill();
    Drill(const Drill &) = delete;
    Drill &operator=(const Drill &) = delete;

    void start(const std::string &path);

private:
    using Step = void (Drill::*)();
    void word();
    void meaning();
    void clear();
    // Lets t milliseconds pass on the event loop, then takes the next step.
    void Wait(const std::int32_t &t, Step next);
    void takeNext(std::int32_t ms, Step next);

    Shell &m_shell;
    StepTimer &m_timer;
    RandomDraw &m_random;
    View m_view;
    std::string m_path;
    std::int16_t m_entryCount = 0;
    std::int16_t m_entryNumber = 0;
    std::vector<std::string> m_pieces;
};

} // namespace tamberlo
