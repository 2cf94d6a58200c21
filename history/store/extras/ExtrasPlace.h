#pragma once
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "history/model/FormatsShelf.h"
#include "history/store/disk/DiskFile.h"
#include "history/store/extras/ExtrasIndex.h"
#include "history/store/sealed/StoreForm.h"

// An extras file open for reading its records where they lie.
class ExtrasFileSource : public extras::Source {
public:
    // Opened so that a save may still replace or remove the file meanwhile.
    ExtrasFileSource(disk::FileSystem& files, const std::wstring& path);
    bool IsOpen() const { return m_file.IsOpen(); }
    // Why it could not be opened or measured.
    DWORD Error() const { return m_file.Error(); }
    std::uint64_t Size() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;

private:
    mutable DiskFile m_file;
    std::uint64_t m_size = 0;
};

// Where a save wrote an entry's formats: its record's payload in the extras
// file, read and checked against the record's CRC-32 when they are pasted;
// sealed, the record's formats part, opened with the folder's key.
class ExtrasPlace : public FormatsPlace {
public:
    // The paths the file may be found under, in order: a set whose moves wait
    // keeps it under its temporary name for a while.
    using Paths = std::shared_ptr<const std::vector<std::wstring>>;

    ExtrasPlace(disk::FileSystem& files, Paths paths, const extras::Span& span)
        : m_files(files), m_paths(std::move(paths)), m_span(span)
    {
    }
    ExtrasPlace(disk::FileSystem& files, Paths paths, const extras::Span& span, StoreForm form, std::uint64_t sealId)
        : m_files(files), m_paths(std::move(paths)), m_span(span), m_form(std::move(form)), m_sealId(sealId)
    {
    }
    Outcome Read(std::vector<KeptFormat>& kept) const override;

    // Held by a save from replacing the extras file until every shelf points
    // into the new one, and by every read: no read meets a file that another
    // record now lies in.
    static std::mutex& FilesLock();

private:
    disk::FileSystem& m_files;
    Paths m_paths;
    extras::Span m_span;
    StoreForm m_form;
    std::uint64_t m_sealId = 0;
};
