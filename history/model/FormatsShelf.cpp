#include "history/model/FormatsShelf.h"

FormatsShelf::Kept FormatsShelf::Take(FormatsPlace::Outcome* outcome) const
{
    FormatsPlace::Outcome ignored = FormatsPlace::Outcome::Read;
    FormatsPlace::Outcome& result = outcome ? *outcome : ignored;
    result = FormatsPlace::Outcome::Read;
    std::shared_ptr<const FormatsPlace> tried;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::shared_ptr<const FormatsPlace> place;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_place)
                return m_kept;
            place = m_place;
        }
        // A save may have moved them while this read the file it replaced: read once more where they are now.
        if (place == tried)
            return nullptr;
        std::vector<KeptFormat> kept;
        result = place->Read(kept);
        if (result == FormatsPlace::Outcome::Read)
            return std::make_shared<const std::vector<KeptFormat>>(std::move(kept));
        tried = std::move(place);
    }
    return nullptr;
}

std::shared_ptr<const FormatsPlace> FormatsShelf::Place() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_place;
}

void FormatsShelf::MoveTo(std::shared_ptr<const FormatsPlace> place)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_place = std::move(place);
    m_kept.reset();
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

FormatsShelf::Kept KeptBytes(const std::shared_ptr<const EntryFormats>& formats)
{
    if (!formats)
        return nullptr;
    if (!formats->shelf)
        return FormatsShelf::Kept(formats, &formats->kept);
    return formats->shelf->Take();
}
