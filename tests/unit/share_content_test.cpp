// What simulated PCs share beside texts: kept formats within each PC's size,
// pictures from the PCs that tick them, never a copy kept here; all of it
// whole after an unreliable sync, a restart, and for a PC that joins later.
#include <gtest/gtest.h>

#include "history/model/FormatsShelf.h"
#include "share_pcs_support.h"

namespace {

using namespace sharepcs;

// A small picture whose every pixel differs with `seed`.
UniqueBitmap Picture(int seed)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 7, 5);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            SetPixel(dc, x, y, RGB(seed * 70 + x * 30, y * 50, (seed * 90 + x * y * 7) % 256));
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return UniqueBitmap(bitmap);
}

Bytes Encoded(HBITMAP bitmap)
{
    Bytes bmp;
    EXPECT_TRUE(Codec().encode(bitmap, bmp));
    return bmp;
}

KeptFormat Format(const wchar_t* name, std::uint32_t number, const std::string& head, size_t size)
{
    Bytes bytes(head.begin(), head.end());
    for (size_t i = bytes.size(); i < size; ++i)
        bytes.push_back(static_cast<std::uint8_t>('a' + i % 26));
    return {{name, number}, bytes};
}

const HistoryEntry* Find(const Pc& pc, const std::wstring& shown)
{
    const std::vector<std::wstring> texts = pc.Texts();
    const auto at = std::find(texts.begin(), texts.end(), shown);
    return at == texts.end() ? nullptr : &pc.model->At(static_cast<int>(at - texts.begin()));
}

// The formats an entry pastes, by name, as the paste reads them.
std::map<std::wstring, Bytes> Pasted(const HistoryEntry& entry)
{
    std::map<std::wstring, Bytes> pasted;
    if (const FormatsShelf::Kept kept = KeptBytes(entry.formats))
        for (const KeptFormat& format : *kept)
            pasted[format.format.name.empty() ? std::to_wstring(format.format.number) : format.format.name] = format.bytes;
    return pasted;
}

TEST_F(SharedHistory, FormatsWithinTheSizeAndTickedPicturesReachEveryPcWholeAndStaySo)
{
    SetUpPcs(4);
    std::mt19937 random(31);
    SyncService sync(Pcs(), random);
    std::wstring fingerprint;
    ASSERT_NO_FATAL_FAILURE(MakeShare(sync, fingerprint, 2));
    Pc& sender = *m_pcs[0];
    Pc& plain = *m_pcs[1];
    sender.options.m_bSharePictures = 1;
    sender.options.m_nShareFormatsKB = 1;  // 1024 bytes per entry
    for (int i = 0; i < 3; ++i)
        TurnOn(*m_pcs[i]);

    const KeptFormat html = Format(EntryFormats::kHtmlName, 0, "Version:0.9 <b>html-6431</b>", 600);
    const KeptFormat rtf = Format(EntryFormats::kRtfName, 0, "{\\rtf1 rtf-6432", 2000);
    const KeptFormat files = Format(L"", EntryFormats::kFileListNumber, "file-list-6433", 300);
    const KeptFormat bigHtml = Format(EntryFormats::kHtmlName, 0, "<i>html-6434</i>", 5000);
    EntryFormats senderFormats;
    senderFormats.kept = {html, rtf};
    EntryFormats plainFormats;
    plainFormats.kept = {files, bigHtml};
    UniqueBitmap shared = Picture(1);
    const Bytes sharedBmp = Encoded(shared.Get());
    const std::vector<std::function<void()>> copies = {
        [&] { sender.model->InsertText(L"html and rtf", Shelved(senderFormats)); },
        [&] { plain.model->InsertText(L"files", Shelved(plainFormats)); },
        [&] { sender.model->InsertPicture(std::move(shared), L"Picture 7 x 5, ticked"); },
        [&] { plain.model->InsertPicture(Picture(2), L"Picture 7 x 5, not ticked"); },
        [&] { plain.model->InsertText(L"kept here", nullptr, true); },
    };
    for (const auto& copy : copies) {
        copy();
        for (int step = 0; step < 20; ++step) {
            m_world.now += random() % 1500;
            m_pcs[random() % 3]->sharing->Tick(random() % 2 == 0);
            sync.Scan();
            sync.Step();
        }
    }
    const auto settle = [&] {
        for (int round = 0; round < 4; ++round) {
            m_world.now += 1000;
            for (auto& pc : m_pcs)
                pc->sharing->Tick(true);
            sync.Scan();
            sync.Quiet();
        }
    };
    settle();
    // The sender starts again: its state kept no bytes, its history holds them, and its new snapshot sends them.
    sender.Restart();
    settle();
    ASSERT_EQ(m_pcs[3]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
    TurnOn(*m_pcs[3]);
    settle();

    const std::vector<std::wstring> everywhere = {L"picture: Picture 7 x 5, ticked", L"files", L"html and rtf"};
    const std::vector<std::wstring> onlyHere = {L"kept here", L"picture: Picture 7 x 5, not ticked"};
    std::vector<std::wstring> plainHas = onlyHere;
    plainHas.insert(plainHas.end(), everywhere.begin(), everywhere.end());
    for (size_t i = 0; i < m_pcs.size(); ++i) {
        const Pc& pc = *m_pcs[i];
        EXPECT_EQ(pc.Texts(), i == 1 ? plainHas : everywhere) << "pc" << i;
        const HistoryEntry* rich = Find(pc, L"html and rtf");
        const HistoryEntry* list = Find(pc, L"files");
        const HistoryEntry* picture = Find(pc, everywhere[0]);
        ASSERT_TRUE(rich && list && picture) << "pc" << i;
        const std::map<std::wstring, Bytes> richPasted = Pasted(*rich);
        EXPECT_EQ(richPasted.at(EntryFormats::kHtmlName), html.bytes) << "pc" << i;
        // Beyond the sender's size: left out, and said so in the preview.
        EXPECT_EQ(richPasted.count(EntryFormats::kRtfName), i == 0 ? 1u : 0u) << "pc" << i;
        if (i != 0) {
            EXPECT_EQ(rich->formats->LeftOutSummary(), L"RTF") << "pc" << i;
        }
        EXPECT_EQ(Pasted(*list), (std::map<std::wstring, Bytes>{{EntryFormats::kHtmlName, bigHtml.bytes},
                                                                {std::to_wstring(EntryFormats::kFileListNumber),
                                                                 files.bytes}}))
            << "pc" << i;
        EXPECT_EQ(Encoded(picture->picture->Bitmap()), sharedBmp) << "pc" << i << ": the picture's pixels";
        for (const auto& item : pc.files.files) {
            if (item.first.compare(0, kShare.size(), kShare) != 0)
                continue;
            for (const std::string marker : {"html-6431", "html-6434", "file-list-6433", "rtf-6432"})
                EXPECT_FALSE(Contains(*item.second, Bytes(marker.begin(), marker.end())))
                    << marker << " plain in " << std::string(item.first.begin(), item.first.end());
        }
    }
}

}  // namespace
