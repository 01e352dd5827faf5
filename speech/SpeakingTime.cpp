#include "speech/SpeakingTime.h"

#include <algorithm>
#include <cmath>

namespace zandrel {

void CSpeakingTime::SetRate(int rate)
{
    m_perCharacter = 0.2 / std::pow(2.0, rate / 10.0);
    m_heard = false;
}

void CSpeakingTime::Learn(qsizetype characters, double seconds)
{
    if (characters <= 0 || seconds <= 0)
        return;
    const double measured = std::clamp((seconds - kPause) / static_cast<double>(characters), 0.02, 3.0);
    // The first measure replaces the guess; later ones move the estimate halfway, so that one odd
    // line (a word the voice spells out) does not swing it.
    m_perCharacter = m_heard ? (m_perCharacter + measured) / 2 : measured;
    m_heard = true;
}

}  // namespace zandrel
