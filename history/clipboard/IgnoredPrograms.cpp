#include "history/clipboard/IgnoredPrograms.h"

#include "framework/Handles.h"

namespace {

bool SameName(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

// One line without its surrounding blanks, and without the quotes a copied path brings.
std::wstring TrimLine(const std::wstring& line)
{
    size_t first = 0;
    size_t last = line.size();
    while (first < last && IsBlank(line[first]))
        ++first;
    while (last > first && IsBlank(line[last - 1]))
        --last;
    if (last - first >= 2 && line[first] == L'"' && line[last - 1] == L'"')
        return TrimLine(line.substr(first + 1, last - first - 2));
    return line.substr(first, last - first);
}

}  // namespace

std::vector<CString> IgnoredPrograms::ParseList(const CString& text)
{
    std::vector<CString> names;
    const std::wstring& all = text.Str();
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos)
            end = all.size();
        const std::wstring name = TrimLine(all.substr(start, end - start));
        bool known = name.empty();
        for (const CString& earlier : names)
            known = known || SameName(FileNameOf(earlier), FileNameOf(name.c_str()));
        if (!known)
            names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

CString IgnoredPrograms::JoinList(const std::vector<CString>& names)
{
    CString text;
    for (const CString& name : names) {
        if (!text.IsEmpty())
            text += L"\r\n";
        text += name;
    }
    return text;
}

void IgnoredPrograms::SetList(const CString& text)
{
    m_fileNames.clear();
    for (const CString& name : ParseList(text))
        m_fileNames.emplace_back(FileNameOf(name));
}

bool IgnoredPrograms::Contains(const wchar_t* imagePath) const
{
    const wchar_t* fileName = FileNameOf(imagePath);
    for (const CString& name : m_fileNames) {
        if (SameName(name, fileName))
            return true;
    }
    return false;
}

bool IgnoredPrograms::IsClipboardOwnerIgnored() const
{
    // Capture runs on every copy anywhere: no process is asked while the list is empty.
    if (m_fileNames.empty())
        return false;
    HWND owner = GetClipboardOwner();
    if (!owner)
        return false;
    const CString image = ProcessImageOf(owner);
    return !image.IsEmpty() && Contains(image);
}

const wchar_t* IgnoredPrograms::FileNameOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    }
    return name;
}

CString IgnoredPrograms::ProcessImageOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == 0)
        return CString();
    UniqueFileHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return CString();
    // Long paths are rare: a second, larger try only when the first is too short.
    for (DWORD capacity : {DWORD{MAX_PATH}, DWORD{32768}}) {
        std::wstring path(capacity, L'\0');
        DWORD length = capacity;
        if (QueryFullProcessImageNameW(process.Get(), 0, &path[0], &length)) {
            path.resize(length);
            return CString(std::move(path));
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
    }
    return CString();
}
