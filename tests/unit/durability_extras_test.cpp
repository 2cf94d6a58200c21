// The history on disk beside its texts: capture times, the sealed form and
// the kept formats, as they come back from the journal and from a full save.
#include <gtest/gtest.h>

#include "history/model/FormatsShelf.h"
#include "durability_support.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace durability;

std::vector<std::uint64_t> CaptureTimes(const HistoryModel& model)
{
    std::vector<std::uint64_t> times;
    for (int row = 0; row < model.Count(); ++row)
        times.push_back(model.At(row).captured);
    return times;
}

TEST_F(DurabilityTest, CaptureTimesComeBackFromTheJournalAFullSaveAndAFirstLoad)
{
    std::vector<std::uint64_t> times;
    {
        Program first(folder);
        first.model.InsertText(L"a");
        first.model.InsertText(L"b");
        first.model.MoveBelowTop(first.model.At(1).id, 1234);
        times = CaptureTimes(first.model);
    }  // only the journal holds them
    EXPECT_EQ(1234u, times[0]);
    {
        Program second(folder);
        EXPECT_EQ(times, CaptureTimes(second.model));
        ASSERT_TRUE(second.durable.SaveAtExit());
    }
    {
        Program third(folder);
        EXPECT_EQ(times, CaptureTimes(third.model));
    }
    // A history an older version wrote has no times: its entries count as captured at their first load, for good.
    ASSERT_TRUE(DeleteFileW((folder + g_strExtrasFileName).c_str()));
    const std::uint64_t beforeLoad = UtcNow();
    {
        Program older(folder);
        times = CaptureTimes(older.model);
        EXPECT_GE(times[0], beforeLoad);
        EXPECT_TRUE(older.durable.SaveAtExit());
    }
    Program later(folder);
    EXPECT_EQ(times, CaptureTimes(later.model));
}

std::wstring Joined(const std::vector<std::wstring>& names)
{
    std::wstring joined;
    for (const std::wstring& name : names)
        joined += name + L" ";
    return joined;
}

TEST_F(DurabilityTest, ASealedHistoryComesBackFromItsJournalAndItsFullSaveAndGoesPlainAgain)
{
    std::wstring shown;
    {
        Program plain(folder);
        plain.model.InsertText(L"plain before");
        ASSERT_TRUE(plain.durable.SaveAtExit());
    }
    {
        Program first(folder, true);
        first.model.InsertText(L"sealed one");
        first.model.InsertPicture(Filled(RGB(255, 0, 0)), L"red");
        shown = first.Shown();
    }  // only the journal holds the changes
    {
        Program second(folder);
        EXPECT_EQ(shown, second.Shown());
        EXPECT_TRUE(second.durable.Encrypted());
        second.model.InsertText(L"two");
        shown = second.Shown();
        ASSERT_TRUE(second.durable.SaveAtExit());
    }
    EXPECT_EQ(L"1.qdat data.qdata data.qextras history.key imgOption.data ", Joined(Names()));
    {
        Program third(folder);
        EXPECT_EQ(shown, third.Shown());
        ASSERT_TRUE(third.durable.SetEncrypted(false));
        ASSERT_TRUE(third.durable.SaveAtExit());
    }
    EXPECT_EQ(L"1.dat data.data data.extras imgOption.data ", Joined(Names()));
    Program fourth(folder);
    EXPECT_EQ(shown, fourth.Shown());
}

// A long history of formatted copies keeps their bytes on disk, never in memory, and each save moves
// the entries to where it wrote them, plain or sealed.
TEST_F(DurabilityTest, FormatsWaitOnDiskWhereTheLastSaveWroteThemPlainOrSealed)
{
    const std::vector<std::uint8_t> html(300000, 'h');
    EntryFormats copied;
    copied.kept = {{{EntryFormats::kHtmlName, 0}, html}};
    const auto state = [&html](const HistoryModel& model, int row = 0) {
        const std::shared_ptr<const EntryFormats> whole = WholeFormats(model.At(row).formats);
        const bool read = whole && whole->kept.size() == 1 && whole->kept[0].bytes == html;
        return std::wstring(read ? L"read " : L"lost ") +
               (model.At(row).formats->shelf->InMemory() ? L"in memory" : L"on disk");
    };
    // The writer works beside the test: a shelf that changes place tells that its save is bound.
    const auto until = [](const HistoryModel& model, int row, bool inMemory) {
        for (int wait = 0; wait < 500 && model.At(row).formats->shelf->InMemory() != inMemory; ++wait)
            Sleep(10);
    };
    Program program(folder);
    program.model.InsertText(L"styled", Shelved(copied));
    EXPECT_EQ(L"read in memory", state(program.model));
    program.durable.SaveFull();
    until(program.model, 0, false);
    EXPECT_EQ(L"read on disk", state(program.model));
    // A later save moves it into its own file.
    program.model.InsertText(L"later", Shelved(copied));
    program.durable.SaveFull();
    until(program.model, 0, false);
    EXPECT_EQ(L"read on disk", state(program.model, 1));
    program.model.Remove({program.model.At(0).id});
    // Sealed, then plain again: the file each form leaves behind is gone, and the formats still read.
    for (const bool sealed : {true, false}) {
        const std::wstring gone = sealed ? g_strExtrasFileName : g_strSealedExtrasFileName;
        ASSERT_TRUE(program.durable.SetEncrypted(sealed));
        for (int wait = 0; wait < 500 && (Exists(folder + gone) || Exists(folder + g_strIntentFileName)); ++wait)
            Sleep(10);
        EXPECT_FALSE(Exists(folder + gone));
        EXPECT_EQ(L"read on disk", state(program.model)) << sealed;
    }
    ASSERT_TRUE(program.durable.SetEncrypted(true));
    ASSERT_TRUE(program.durable.SaveAtExit());
    Program next(folder);
    EXPECT_TRUE(next.durable.Encrypted());
    EXPECT_EQ(L"read on disk", state(next.model));
}

}  // namespace
