#pragma once

namespace tamberlo {

// A uniform draw in [0, 1), single precision, from a generator reseeded from the clock first.
class RandomDraw {
public:
    virtual ~RandomDraw() = default;
    virtual float reseedAndDraw() = 0;
};

class ClockSeededRandom final : public RandomDraw {
public:
    float reseedAndDraw() override;
};

} // namespace tamberlo
