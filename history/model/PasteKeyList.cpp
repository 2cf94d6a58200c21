#include "history/model/PasteKeyList.h"

#include <windows.h>

namespace {

bool SameName(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

const wchar_t* FileNameOf(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    }
    return name;
}

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

}  // namespace

PasteKeyList::Rules PasteKeyList::Defaults()
{
    Rules rules;
    for (const KnownPasteKey& known : kKnownPasteKeys)
        rules.push_back({CString(reinterpret_cast<const wchar_t*>(known.program)), known.key});
    return rules;
}

PasteKey PasteKeyList::For(const Rules& rules, const wchar_t* imagePath)
{
    if (!imagePath || !*imagePath)
        return PasteKey::CtrlV;
    const wchar_t* name = FileNameOf(imagePath);
    for (const ProgramPasteKey& rule : rules) {
        if (SameName(FileNameOf(rule.program), name))
            return rule.key;
    }
    return PasteKey::CtrlV;
}

CString PasteKeyList::CleanName(const CString& typed)
{
    std::wstring name = FileNameOf(typed);
    // A copied path comes with its quotes; the one at the start went with the folder.
    while (!name.empty() && (IsBlank(name.back()) || name.back() == L'"'))
        name.pop_back();
    size_t first = 0;
    while (first < name.size() && (IsBlank(name[first]) || name[first] == L'"'))
        ++first;
    return CString(name.substr(first));
}

size_t PasteKeyList::Set(Rules& rules, const CString& program, PasteKey key)
{
    for (size_t i = 0; i < rules.size(); ++i) {
        if (SameName(FileNameOf(rules[i].program), FileNameOf(program))) {
            rules[i].key = key;
            return i;
        }
    }
    rules.push_back({program, key});
    return rules.size() - 1;
}

const wchar_t* PasteKeyList::KeyName(PasteKey key)
{
    switch (key) {
    case PasteKey::ShiftInsert:
        return L"Shift+Insert";
    case PasteKey::CtrlShiftV:
        return L"Ctrl+Shift+V";
    case PasteKey::CtrlV:
        break;
    }
    return L"Ctrl+V";
}
