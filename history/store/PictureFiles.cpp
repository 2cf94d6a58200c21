#include "history/store/PictureFiles.h"

#include <windows.h>

#include "framework/Handles.h"

namespace picture_files {

namespace {

constexpr const wchar_t* kSuffixes[] = {L".dat", L".qdat"};

}  // namespace

long long RecordOf(const std::wstring& name)
{
    constexpr size_t kDigitsAtMost = 10;
    for (const std::wstring suffix : kSuffixes) {
        const size_t digits = name.size() > suffix.size() ? name.size() - suffix.size() : 0;
        if (digits == 0 || digits > kDigitsAtMost || name.compare(digits, suffix.size(), suffix) != 0)
            continue;
        long long record = 0;
        for (size_t i = 0; i < digits; ++i) {
            if (name[i] < L'0' || name[i] > L'9')
                return -1;
            record = record * 10 + (name[i] - L'0');
        }
        return record;
    }
    return -1;
}

std::set<std::wstring> In(const std::wstring& folder)
{
    std::set<std::wstring> names;
    for (const std::wstring suffix : kSuffixes) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle search(FindFirstFileW((folder + L"*" + suffix).c_str(), &found));
        for (bool more = static_cast<bool>(search); more; more = FindNextFileW(search.Get(), &found) != FALSE) {
            if (RecordOf(found.cFileName) >= 0)
                names.insert(found.cFileName);
        }
    }
    return names;
}

}  // namespace picture_files
