#include "presets/SoundHistory.h"

void SoundHistory::record(const Side& before, const Side& after)
{
    if (before == after)
        return;
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    m_steps.push_back({before, after});
    if (m_steps.size() > MaxSteps)
        m_steps.pop_front();
    m_done = m_steps.size();
}

std::optional<SoundHistory::Side> SoundHistory::undo()
{
    if (!canUndo())
        return std::nullopt;
    return m_steps[--m_done].before;
}

std::optional<SoundHistory::Side> SoundHistory::redo()
{
    if (!canRedo())
        return std::nullopt;
    return m_steps[m_done++].after;
}

void SoundHistory::clear()
{
    m_steps.clear();
    m_done = 0;
}
