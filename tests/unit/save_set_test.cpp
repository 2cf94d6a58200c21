// How a start finishes or drops the save an interruption left: a whole intent
// is finished, a torn one dropped with the temporaries of its dead writer, and
// an intent that cannot be read for now, or that names files outside the set,
// is left as it is with everything it names.
#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "history/store/formats/FileNames.h"
#include "history/store/journal/JournalFormat.h"
#include "history/store/saveset/SaveSet.h"
#include "file_test_support.h"

#include <string>
#include <vector>

namespace {

using namespace file_test;

// A writer that is gone: no process has this id.
constexpr const wchar_t* kDeadTemporary = L"data.data.4000000001-1.qtmp";
const Bytes kOld = {'o', 'l', 'd'};
const Bytes kNew = {'n', 'e', 'w'};

Bytes IntentBytes(const std::vector<std::pair<std::wstring, std::wstring>>& moves)
{
    journal::Intent intent;
    for (const auto& move : moves)
        intent.moves.emplace_back(std::u16string(move.first.begin(), move.first.end()),
                                  std::u16string(move.second.begin(), move.second.end()));
    return journal::EncodeIntent(intent);
}

class SaveSetTest : public testing::Test {
protected:
    // The old data.data, its new version in a dead writer's temporary, and the intent.
    void Interrupted(const Bytes& intent)
    {
        ASSERT_TRUE(WriteWholeFile(temp / g_strHistoryFileName, kOld));
        ASSERT_TRUE(WriteWholeFile(temp / kDeadTemporary, kNew));
        ASSERT_TRUE(WriteWholeFile(temp / g_strIntentFileName, intent));
    }
    // Nothing moved, nothing deleted.
    void ExpectLeftAlone(const std::string& why)
    {
        EXPECT_EQ(kOld, ReadWholeFile(temp / g_strHistoryFileName)) << why;
        EXPECT_EQ(kNew, ReadWholeFile(temp / kDeadTemporary)) << why;
        EXPECT_TRUE(Exists(temp / g_strIntentFileName)) << why;
    }

    TempFolder temp{L"saveset"};
};

TEST_F(SaveSetTest, AWholeIntentIsFinishedATornOneDroppedWithItsDeadWritersTemporaries)
{
    const Bytes whole = IntentBytes({{kDeadTemporary, g_strHistoryFileName}});
    Interrupted(whole);
    EXPECT_TRUE(SaveSet::Recover(temp.Path()));
    EXPECT_EQ(kNew, ReadWholeFile(temp / g_strHistoryFileName));
    EXPECT_EQ((std::vector<std::wstring>{g_strHistoryFileName}), temp.Names());

    Interrupted(Bytes(whole.begin(), whole.end() - 1));
    EXPECT_TRUE(SaveSet::Recover(temp.Path()));
    EXPECT_EQ(kOld, ReadWholeFile(temp / g_strHistoryFileName));
    EXPECT_EQ((std::vector<std::wstring>{g_strHistoryFileName}), temp.Names());
}

TEST_F(SaveSetTest, AnIntentThatCannotBeReadIsLeftWithItsTemporariesUntilItCanBe)
{
    Interrupted(IntentBytes({{kDeadTemporary, g_strHistoryFileName}}));
    {
        UniqueFileHandle held(CreateFileW((temp / g_strIntentFileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        SaveSet::Failure failure;
        EXPECT_FALSE(SaveSet::Recover(temp.Path(), &failure));
        EXPECT_EQ(g_strIntentFileName, failure.file);
        EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), failure.error);
        ExpectLeftAlone("held");
    }
    EXPECT_TRUE(SaveSet::Recover(temp.Path()));
    EXPECT_EQ(kNew, ReadWholeFile(temp / g_strHistoryFileName));
}

TEST_F(SaveSetTest, AnIntentNamingFilesOutsideTheSetIsRefusedAndLeftAlone)
{
    // A name beside the data folder, where a traversal would put it.
    const std::wstring outsideName = L"quillary-outside-" + std::to_wstring(GetCurrentProcessId()) + L".data";
    const std::wstring outside = temp.Path() + L"..\\" + outsideName;
    const std::vector<std::pair<std::wstring, std::wstring>> foreign[] = {
        {{kDeadTemporary, L"..\\" + outsideName}},
        {{kDeadTemporary, L"sub/data.data"}},
        {{kDeadTemporary, L"C:data.data"}},
        {{kDeadTemporary, L"data.data:stream"}},
        {{kDeadTemporary, L"quillary.exe"}},
        {{kDeadTemporary, g_strHistoryFileName}, {L"..\\" + outsideName + L".1-1.qtmp", L"..\\" + outsideName}},
        {{kDeadTemporary, g_strOptionsFileName}},
    };
    for (const auto& moves : foreign) {
        const std::string why = "to " + std::string(moves.back().second.begin(), moves.back().second.end());
        Interrupted(IntentBytes(moves));
        SaveSet::Failure failure;
        EXPECT_FALSE(SaveSet::Recover(temp.Path(), &failure)) << why;
        EXPECT_EQ(g_strIntentFileName, failure.file) << why;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), failure.error) << why;
        ExpectLeftAlone(why);
        EXPECT_FALSE(Exists(outside)) << why;
        DeleteFileW(outside.c_str());
    }
}

}  // namespace
