#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "history/model/FormatsShelf.h"
#include "history/store/disk/FileSystem.h"
#include "history/store/extras/ExtrasMap.h"
#include "history/store/sealed/StoreForm.h"

// An entry's formats in a file of their own ("<id>.fmt", or "<id>.qfmt"
// sealed in the set `set`), read and checked against the outline's sizes and
// CRCs when they are pasted. A save keeps the file where it is.
class FormatsFilePlace : public FormatsPlace {
public:
    // The paths the file may be found under, in order: a set whose moves wait
    // keeps it under its temporary name for a while.
    FormatsFilePlace(disk::FileSystem& files, std::vector<std::wstring> paths, std::uint64_t id,
                     extras::Outline outline, StoreForm form, std::uint64_t set);

    Outcome Read(std::vector<KeptFormat>& kept) const override;

    const std::wstring& Path() const { return m_paths.front(); }
    std::uint64_t Set() const { return m_set; }
    bool Sealed() const { return m_form.Sealed(); }
    const extras::Outline& Outline() const { return m_outline; }

private:
    disk::FileSystem& m_files;
    std::vector<std::wstring> m_paths;
    std::uint64_t m_id;
    extras::Outline m_outline;
    StoreForm m_form;
    std::uint64_t m_set;
};
