#include "history/model/FormatsShelf.h"

bool FormatsShelf::Take(std::vector<KeptFormat>& kept) const
{
    // The place is read with the shelf unlocked: a save moving it holds the file's lock first.
    std::shared_ptr<const FormatsPlace> tried;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::shared_ptr<const FormatsPlace> place;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_place) {
                kept = m_kept;
                return true;
            }
            place = m_place;
        }
        // A save may have moved them while this read the file it replaced: read once more where they are now.
        if (place == tried)
            return false;
        if (place->Read(kept))
            return true;
        tried = std::move(place);
    }
    return false;
}

void FormatsShelf::MoveTo(std::shared_ptr<const FormatsPlace> place)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_place = std::move(place);
    std::vector<KeptFormat>().swap(m_kept);
}

bool FormatsShelf::InMemory() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_place;
}

std::shared_ptr<const EntryFormats> Shelved(EntryFormats whole)
{
    // The file list stays: it is small, and the preview and the icon go by it.
    const KeptFormat* files = whole.Files();
    std::vector<KeptFormat> bytes;
    for (KeptFormat& kept : whole.kept) {
        bytes.push_back({kept.format, {}});
        if (&kept == files)
            bytes.back().bytes = kept.bytes;
        else
            bytes.back().bytes.swap(kept.bytes);
    }
    whole.shelf = std::make_shared<FormatsShelf>(std::move(bytes));
    return std::make_shared<const EntryFormats>(std::move(whole));
}

std::shared_ptr<const EntryFormats> WholeFormats(const std::shared_ptr<const EntryFormats>& formats)
{
    if (!formats || !formats->shelf)
        return formats;
    auto whole = std::make_shared<EntryFormats>();
    if (!formats->shelf->Take(whole->kept))
        return nullptr;
    whole->leftOut = formats->leftOut;
    whole->label = formats->label;
    return whole;
}
