#include "bench/ClipboardCopy.h"

#include <cstring>

#include "bench/Stopwatch.h"

ClipboardCopy ClipboardCopy::OfText(const std::wstring& text)
{
    const char* bytes = reinterpret_cast<const char*>(text.c_str());
    return ClipboardCopy({{CF_UNICODETEXT, std::string(bytes, (text.size() + 1) * sizeof(wchar_t))}});
}

ClipboardCopy& ClipboardCopy::Add(const wchar_t* registeredName, std::string bytes)
{
    m_formats.push_back({RegisterClipboardFormatW(registeredName), std::move(bytes)});
    return *this;
}

ClipboardCopy::Blocks ClipboardCopy::MakeBlocks() const
{
    Blocks blocks;
    for (const Format& format : m_formats) {
        UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, format.bytes.size()));
        {
            GlobalLockGuard lock(block.Get());
            if (!lock.Data())
                return Blocks();
            std::memcpy(lock.Data(), format.bytes.data(), format.bytes.size());
        }
        blocks.emplace_back(format.id, std::move(block));
    }
    return blocks;
}

bool ClipboardCopy::Place(HWND owner, Blocks& blocks, double timeoutMs)
{
    if (blocks.empty())
        return false;
    const Stopwatch wait;
    while (!OpenClipboard(owner)) {
        if (wait.ElapsedMs() > timeoutMs)
            return false;
        Sleep(0);
    }
    EmptyClipboard();
    bool placed = true;
    for (auto& block : blocks) {
        if (SetClipboardData(block.first, block.second.Get()))
            block.second.Release();  // the clipboard owns it now
        else
            placed = false;
    }
    CloseClipboard();
    return placed;
}
