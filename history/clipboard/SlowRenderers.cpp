#include "history/clipboard/SlowRenderers.h"

#include <windows.h>

SlowRenderers::Key SlowRenderers::KeyOf(const std::wstring& program, const FormatName& format)
{
    std::wstring name = program;
    if (!name.empty())
        CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    return {name, format.name, format.number};
}

bool SlowRenderers::MayAsk(const std::wstring& program, const FormatName& format) const
{
    return program.empty() || m_slow.count(KeyOf(program, format)) == 0;
}

bool SlowRenderers::Note(const std::wstring& program, const FormatName& format, std::uint64_t elapsedMs)
{
    if (program.empty() || elapsedMs <= kSlowMs)
        return false;
    return m_slow.insert(KeyOf(program, format)).second;
}
