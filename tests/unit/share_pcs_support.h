#pragma once
// Simulated PCs that share one history through a folder, with no network:
// each PC has its own files (its data folder and its copy of the shared
// folder), and a test sync service copies files between the copies late, out
// of order, cut short and completed later, twice, beside conflict copies, and
// as placeholders that cannot be read until later.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "history/share/HistorySharing.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/CBitmapFile.h"
#include "memory_files_support.h"

namespace sharepcs {

using memfiles::Bytes;
using memfiles::MemoryFiles;

const std::wstring kShare = L"S:\\sync";
const std::wstring kData = L"C:\\data\\";
const std::wstring kPassphrase = L"correct horse battery staple";

// Pictures as the program sends them: the bitmap files the store writes.
inline PictureCodec Codec()
{
    PictureCodec codec;
    codec.encode = [](HBITMAP bitmap, std::vector<std::uint8_t>& bmp) {
        std::vector<BYTE> file;
        const bool encoded = EncodeBitmapFile(bitmap, ScreenColorDepth(), file);
        bmp.assign(file.begin(), file.end());
        return encoded;
    };
    codec.decode = [](const std::vector<std::uint8_t>& bmp) { return CBitmapFile::LoadFromMemory(bmp.data(), bmp.size()); };
    return codec;
}

// The wall clock every PC reads, each with its own error.
struct World {
    std::uint64_t now = UtcNow() / 10000;  // milliseconds since 1601
};

struct Pc {
    Pc(World& world, std::int64_t skewMs, const std::wstring& name)
        : wall([&world, skewMs] { return world.now + skewMs; }), name(name)
    {
        files.MakeFolders(kData);
        files.MakeFolders(kShare);
        Begin();
    }
    // Quillary ends and starts again on the history its own files kept.
    void Restart()
    {
        sharing->Finish();
        std::vector<HistoryEntry> entries;
        for (int row = 0; row < model->Count(); ++row)
            entries.push_back(model->At(row));
        const int top = model->TopCount();
        sharing.reset();
        Begin();
        model->BeginLoad();
        for (HistoryEntry& entry : entries)
            model->Append(std::move(entry));
        model->SetTopCount(top);
        model->Loaded();
        sharing->Start();
    }
    void Begin()
    {
        model = std::make_unique<HistoryModel>();
        sharing = std::make_unique<HistorySharing>(*model, options, files, wall, name);
        sharing->SetDataFolder(kData);
        sharing->SetPictureCodec(Codec());
        model->SetMaxEntries(100000);
    }
    // Each entry's text, or "picture: " and its label.
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (int row = 0; row < model->Count(); ++row) {
            const HistoryEntry& entry = model->At(row);
            texts.push_back(entry.text ? *entry.text : L"picture: " + entry.picture->Label());
        }
        return texts;
    }
    HybridClock::WallClock wall;
    std::wstring name;
    MemoryFiles files;
    ClipOptions options;
    std::unique_ptr<HistoryModel> model;
    std::unique_ptr<HistorySharing> sharing;
};

// Copies what each PC changed in its copy of the shared folder to the others' copies.
class SyncService {
public:
    SyncService(std::vector<Pc*> pcs, std::mt19937& random) : m_pcs(std::move(pcs)), m_random(random) {}

    // Notices what changed at each PC since it last looked.
    void Scan()
    {
        for (size_t from = 0; from < m_pcs.size(); ++from) {
            MemoryFiles& files = m_pcs[from]->files;
            std::set<std::wstring> present;
            for (const auto& item : files.files) {
                if (item.first.compare(0, kShare.size() + 1, kShare + L"\\") != 0 || Conflicted(item.first))
                    continue;
                present.insert(item.first);
                Bytes& seen = m_seen[{from, item.first}];
                if (seen != *item.second) {
                    seen = *item.second;
                    Queue(from, item.first, &seen);
                }
            }
            for (auto at = m_seen.lower_bound({from, L""}); at != m_seen.end() && at->first.first == from;) {
                if (!present.count(at->first.second)) {
                    Queue(from, at->first.second, nullptr);
                    at = m_seen.erase(at);
                } else {
                    ++at;
                }
            }
        }
    }

    // Does one unreliable thing with one waiting change.
    void Step()
    {
        if (m_queue.empty())
            return;
        const size_t pick = m_random() % m_queue.size();
        Delivery delivery = m_queue[pick];
        MemoryFiles& files = m_pcs[delivery.to]->files;
        switch (m_random() % 6) {
        case 0:  // cut short; the rest comes later
            if (!delivery.deleted && Current(delivery)) {
                Bytes part(delivery.bytes.begin(),
                           delivery.bytes.begin() + static_cast<std::ptrdiff_t>(m_random() % (delivery.bytes.size() + 1)));
                Put(delivery.to, delivery.path, part);
            }
            return;
        case 1:  // a placeholder: listed whole, not readable until downloaded
            if (!delivery.deleted && Current(delivery)) {
                Put(delivery.to, delivery.path, delivery.bytes);
                files.unreadable.insert(delivery.path);
                m_hydrate.push_back({delivery.to, delivery.path});
            }
            return;
        case 2:  // a conflict copy beside the file, with another version of it
            if (!delivery.deleted)
                Put(delivery.to, ConflictName(delivery.path), Garbled(delivery.bytes));
            break;
        case 3:  // twice
            Deliver(delivery);
            break;
        case 4:  // a placeholder comes down
            Hydrate();
            return;
        default:
            break;
        }
        Deliver(delivery);
        m_queue.erase(m_queue.begin() + static_cast<std::ptrdiff_t>(pick));
    }

    // Delivers everything, whole.
    void Quiet()
    {
        for (const Delivery& delivery : m_queue)
            Deliver(delivery);
        m_queue.clear();
        while (!m_hydrate.empty())
            Hydrate();
    }
    bool Idle() const { return m_queue.empty(); }

private:
    struct Delivery {
        size_t to;
        std::wstring path;
        Bytes bytes;
        bool deleted;
        std::uint64_t version;
    };

    static bool Conflicted(const std::wstring& path)
    {
        return path.find(L"(1)") != std::wstring::npos || path.find(L"sync-conflict") != std::wstring::npos ||
               path.find(L"conflicted copy") != std::wstring::npos;
    }
    std::wstring ConflictName(const std::wstring& path)
    {
        const size_t dot = path.find(L'.', path.find_last_of(L'\\'));
        static const wchar_t* kForms[] = {L" (1)", L".sync-conflict-20260101-ABCD", L" (Laptop's conflicted copy)"};
        return path.substr(0, dot) + kForms[m_random() % 3] + path.substr(dot);
    }
    Bytes Garbled(Bytes bytes)
    {
        if (!bytes.empty())
            bytes[m_random() % bytes.size()] ^= 0x5A;
        return bytes;
    }
    void Queue(size_t from, const std::wstring& path, const Bytes* bytes)
    {
        ++m_version;
        for (size_t to = 0; to < m_pcs.size(); ++to)
            if (to != from)
                m_queue.push_back({to, path, bytes ? *bytes : Bytes(), bytes == nullptr, m_version});
    }
    // An older version never lands over a newer one.
    bool Current(const Delivery& delivery) const
    {
        auto at = m_landed.find({delivery.to, delivery.path});
        return at == m_landed.end() || at->second <= delivery.version;
    }
    // What the service writes itself is never taken for a change that PC made.
    void Put(size_t to, const std::wstring& path, const Bytes& bytes)
    {
        MemoryFiles& files = m_pcs[to]->files;
        files.MakeFolders(MemoryFiles::Parent(path));
        files.files[path] = std::make_shared<Bytes>(bytes);
        files.unreadable.erase(path);
        m_seen[{to, path}] = bytes;
    }
    void Deliver(const Delivery& delivery)
    {
        if (!Current(delivery))
            return;
        m_landed[{delivery.to, delivery.path}] = delivery.version;
        MemoryFiles& files = m_pcs[delivery.to]->files;
        if (delivery.deleted) {
            files.files.erase(delivery.path);
            files.unreadable.erase(delivery.path);
            m_seen.erase({delivery.to, delivery.path});
            return;
        }
        Put(delivery.to, delivery.path, delivery.bytes);
    }
    void Hydrate()
    {
        if (m_hydrate.empty())
            return;
        const auto item = m_hydrate.front();
        m_hydrate.erase(m_hydrate.begin());
        m_pcs[item.first]->files.unreadable.erase(item.second);
    }

    std::vector<Pc*> m_pcs;
    std::mt19937& m_random;
    std::map<std::pair<size_t, std::wstring>, Bytes> m_seen;
    std::map<std::pair<size_t, std::wstring>, std::uint64_t> m_landed;
    std::vector<Delivery> m_queue;
    std::vector<std::pair<size_t, std::wstring>> m_hydrate;
    std::uint64_t m_version = 0;
};

inline bool Contains(const Bytes& haystack, const Bytes& needle)
{
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

class SharedHistory : public testing::Test {
protected:
    void SetUpPcs(int count)
    {
        for (int i = 0; i < count; ++i)
            m_pcs.push_back(std::make_unique<Pc>(m_world, i == 2 ? -5 * 60 * 1000 : i * 700, L"pc" + std::to_wstring(i)));
    }
    std::vector<Pc*> Pcs()
    {
        std::vector<Pc*> pcs;
        for (auto& pc : m_pcs)
            pcs.push_back(pc.get());
        return pcs;
    }
    // The first PC makes the share and the sync service brings its key file to
    // the others; PCs 1 to `joining` join with the passphrase.
    void MakeShare(SyncService& sync, std::wstring& fingerprint, size_t joining = 0)
    {
        ASSERT_EQ(m_pcs[0]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
        sync.Scan();
        sync.Quiet();
        for (size_t i = 1; i <= joining; ++i)
            ASSERT_EQ(m_pcs[i]->sharing->Prepare(kShare, kPassphrase, fingerprint), HistorySharing::Setup::Ready);
    }
    void TurnOn(Pc& pc)
    {
        pc.options.m_bShare = 1;
        pc.options.m_strShareFolder = kShare.c_str();
        pc.sharing->Start();
    }
    World m_world;
    std::vector<std::unique_ptr<Pc>> m_pcs;
};

}  // namespace sharepcs
