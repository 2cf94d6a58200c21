#include "history/store/formats/PictureFiles.h"

#include "history/store/disk/FileSteps.h"


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

std::set<std::wstring> In(disk::FileSystem& files, const std::wstring& folder, DWORD* error)
{
    std::set<std::wstring> names;
    std::vector<disk::Found> found;
    const DWORD listed = disk::ListFolder(files, folder, found);
    if (error)
        *error = listed;
    for (const disk::Found& entry : found) {
        if (!entry.folder && RecordOf(entry.name) >= 0)
            names.insert(entry.name);
    }
    return names;
}

}  // namespace picture_files
