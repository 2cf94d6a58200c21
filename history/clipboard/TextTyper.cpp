#include "history/clipboard/TextTyper.h"

#include "history/clipboard/SyntheticKeys.h"

#include <vector>

void TextTyper::Start(HWND target, std::wstring text)
{
    Stop();
    m_stop = false;
    m_thread = std::thread(&TextTyper::Type, this, GetAncestor(target, GA_ROOT), std::move(text));
}

void TextTyper::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

bool TextTyper::ShouldStop(HWND front) const
{
    // Down now, or pressed since the last look: a quick tap falls between two looks.
    return m_stop || (GetAsyncKeyState(VK_ESCAPE) & 0x8001) != 0 || GetForegroundWindow() != front;
}

void TextTyper::Type(HWND front, const std::wstring& text)
{
    // An Esc pressed before the typing began is not one that stops it.
    GetAsyncKeyState(VK_ESCAPE);
    // With a modifier down, each character would be a shortcut.
    const std::vector<WORD> held = SyntheticKeys::WaitForModifiersReleased();
    if (ShouldStop(front) || !SyntheticKeys::Send(SyntheticKeys::ReleaseInputs(held)))
        return;
    size_t at = 0;
    while (at < text.size()) {
        std::vector<INPUT> step;
        for (size_t typed = 0; typed < kCharactersPerStep && at < text.size(); ++typed) {
            size_t used = 0;
            const std::vector<INPUT> character = SyntheticKeys::CharacterInputs(text, at, used);
            step.insert(step.end(), character.begin(), character.end());
            at += used;
        }
        // Windows drops keys sent to a program with more rights than ours.
        if (!SyntheticKeys::Send(std::move(step)))
            return;
        Sleep(kStepPauseMs);
        if (ShouldStop(front))
            return;
    }
}
