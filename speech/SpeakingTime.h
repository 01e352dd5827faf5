#pragma once

#include <QString>

namespace zandrel {

// How long a text takes to say: a pause between lines and a time per character. It starts from a
// guess (about five Chinese characters a second at the normal rate, twice as fast at rate 10, half
// at -10) and learns from what the engine really took, since voices differ by more than that guess
// can know (espeak-ng's Mandarin says about one and a half characters a second).
class CSpeakingTime {
public:
    static constexpr double kPause = 0.3;

    explicit CSpeakingTime(int rate = 0) { SetRate(rate); }
    // A new rate: the guess again, until the engine has been heard at it.
    void SetRate(int rate);
    double Seconds(const QString& text) const { return kPause + m_perCharacter * static_cast<double>(text.size()); }
    // The engine took `seconds` to say `characters` characters.
    void Learn(qsizetype characters, double seconds);
    double PerCharacter() const { return m_perCharacter; }

private:
    double m_perCharacter = 0.2;
    bool m_heard = false;
};

}  // namespace zandrel
