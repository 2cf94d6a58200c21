#include "tests/e2e/PreparedHistory.h"

#include "tests/e2e/FileBytes.h"
#include "tests/e2e/ProductFacts.h"
#include "tests/e2e/TempFolder.h"

namespace e2e {

::testing::AssertionResult PrepareTextHistory(const std::wstring& folder, StoredSettings settings,
                                              const std::vector<std::string>& texts)
{
    const std::wstring data = folder + L"\\" + kDataFolderName;
    if (!IsFolder(data) && !CreateDirectoryW(data.c_str(), nullptr))
        return ::testing::AssertionFailure() << "cannot create the data folder, error " << GetLastError();
    settings.entryCount = static_cast<int32_t>(texts.size());
    std::string history;
    for (const std::string& text : texts)
        history += TextRecordBytes(text);
    if (!WriteFileBytes(data + L"\\" + kOptionsFileName, SettingsFileBytes(settings)))
        return ::testing::AssertionFailure() << "cannot write the settings file, error " << GetLastError();
    if (!WriteFileBytes(data + L"\\" + kHistoryFileName, history))
        return ::testing::AssertionFailure() << "cannot write the history file, error " << GetLastError();
    return ::testing::AssertionSuccess();
}

}  // namespace e2e
