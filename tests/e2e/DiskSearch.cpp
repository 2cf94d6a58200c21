#include "tests/e2e/DiskSearch.h"

#include "tests/e2e/FileBytes.h"
#include "tests/e2e/TempFolder.h"

namespace e2e {

std::vector<std::string> FormsOf(const std::string& text)
{
    std::string wide;
    for (char c : text)
        wide += std::string{c, '\0'};
    return {text, wide};
}

std::vector<std::wstring> FilesHolding(const std::wstring& folder, const std::vector<std::string>& forms)
{
    std::vector<std::wstring> holding;
    for (const std::wstring& name : FolderEntries(folder)) {
        const std::string bytes = ReadFileBytes(folder + name);
        for (const std::string& form : forms) {
            if (bytes.find(form) != std::string::npos) {
                holding.push_back(name);
                break;
            }
        }
    }
    return holding;
}

}  // namespace e2e
