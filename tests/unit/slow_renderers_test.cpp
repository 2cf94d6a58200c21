// Which formats a program is no longer asked for, from what one copy's formats cost.
#include <gtest/gtest.h>

#include "history/clipboard/SlowRenderers.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const FormatName kHtml = {EntryFormats::kHtmlName, 0};
const FormatName kRtf = {EntryFormats::kRtfName, 0};
const FormatName kFiles = {L"", EntryFormats::kFileListNumber};

TEST(SlowRenderers, TheWholeCopyCountsAndTheSlowestGoUntilTheRestFits)
{
    const struct {
        const char* what;
        std::vector<FormatTiming> timings;
        std::vector<FormatName> marked;
    } cases[] = {
        {"quick formats", {{kHtml, 200}, {kRtf, 300}}, {}},
        {"each under the limit, over it together", {{kHtml, 490}, {kRtf, 480}, {kFiles, 470}}, {kHtml, kRtf}},
        {"one slow format", {{kHtml, 20}, {kRtf, 900}}, {kRtf}},
        {"one that never came, beside a quick one", {{kHtml, 30}, {kRtf, 1000, false}}, {kRtf}},
        {"one that never came, quickly cut", {{kHtml, 400}, {kRtf, 5, false}}, {kRtf}},
        {"nothing asked", {}, {}},
    };
    for (const auto& test : cases) {
        SlowRenderers slow;
        const Renderer program = {L"Calc.EXE", reinterpret_cast<HWND>(0x100)};
        EXPECT_EQ(test.marked, slow.NoteCopy(program, test.timings)) << test.what;
        for (const FormatTiming& timing : test.timings) {
            const bool marked = std::find(test.marked.begin(), test.marked.end(), timing.format) != test.marked.end();
            EXPECT_EQ(!marked, slow.MayAsk(program, timing.format)) << test.what;
            // By its name, in any case, whatever window it copies from next.
            EXPECT_EQ(!marked, slow.MayAsk({L"calc.exe", reinterpret_cast<HWND>(0x200)}, timing.format)) << test.what;
            EXPECT_TRUE(slow.MayAsk({L"other.exe", reinterpret_cast<HWND>(0x100)}, timing.format)) << test.what;
        }
    }
}

TEST(SlowRenderers, AProgramWhoseNameCannotBeReadIsJudgedByItsWindow)
{
    SlowRenderers slow;
    const Renderer nameless = {L"", reinterpret_cast<HWND>(0x300)};
    EXPECT_EQ(std::vector<FormatName>{kHtml}, slow.NoteCopy(nameless, {{kHtml, 800}}));
    EXPECT_FALSE(slow.MayAsk(nameless, kHtml));
    EXPECT_TRUE(slow.MayAsk({L"", reinterpret_cast<HWND>(0x301)}, kHtml));
    // Known neither way: always asked.
    EXPECT_TRUE(slow.NoteCopy({}, {{kHtml, 800}}).empty());
    EXPECT_TRUE(slow.MayAsk({}, kHtml));
}

}  // namespace
