#pragma once

#include "platform/steptimer.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tamberlo {

class RandomDraw;
class Shell;

// The flash drill as steps that the step timer runs from the event loop, each returning at once.
// start counts the entries, once. word reseeds and draws, picks an entry, reads and splits it
// afresh, shows its number and word, and Waits half a period; meaning shows the meaning and Waits
// half a period, the speed read afresh; clear clears it. A word follows start and clear once the
// pending events are handled. Ending the program stops the timer, and with it the drill.
class Drill {
public:
    // What the window shows, and the speed as typed.
    struct View {
        std::function<std::string()> speed;
        std::function<void(const QString &)> showNumber, showWord, showMeaning;
        std::function<void()> clearMeaning;
    };

    Drill(Shell &shell, StepTimer &timer, RandomDraw &random, View view)
        : m_shell(shell), m_timer(timer), m_random(random), m_view(std::move(view)) {}
    ~Drill() { m_timer.stop(); }
    void start(const std::string &path);

private:
    using Step = void (Drill::*)();
    void word();
    void meaning();
    void clear();
    // Lets t milliseconds pass on the event loop, then takes the next step.
    void Wait(const std::int32_t &t, Step next);

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
