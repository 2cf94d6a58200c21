#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The one way the store reaches files. The program runs on the system's files
// (SystemFiles); tests run the same code on files in memory that can fail any
// step or cut the run there, as a power cut would. Results are the system's
// error codes: ERROR_SUCCESS when the step was done.
namespace disk {

enum class Access { Read, Write, ReadWrite };

// What other handles may do with the file while this one holds it.
enum Share : unsigned {
    kShareNone = 0,
    kShareRead = 1,
    kShareWrite = 2,
    kShareDelete = 4,  // rename or delete it
};

enum class Creation {
    OpenExisting,  // fails when the file is missing
    OpenAlways,    // opens it as it is, or creates it empty
    CreateAlways,  // creates it, or empties the one there
};

// An open file. Reads and writes name their offset: there is no shared position.
class File {
public:
    virtual ~File() = default;
    // `got` receives the bytes read: fewer than asked only at the end of the file.
    virtual DWORD ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) = 0;
    virtual DWORD WriteAt(std::uint64_t offset, const void* data, std::size_t count) = 0;
    // Written bytes are on the disk once this succeeds; before, a power cut may lose or tear them.
    virtual DWORD Flush() = 0;
    // Cuts or extends the file.
    virtual DWORD SetEnd(std::uint64_t length) = 0;
    virtual DWORD Size(std::uint64_t& size) = 0;
};

struct Found {
    std::wstring name;
    std::uint64_t size = 0;
    std::uint64_t created = 0;  // a FILETIME
    bool folder = false;
};

struct Attributes {
    std::uint64_t size = 0;
    std::uint64_t written = 0;  // last write, a FILETIME
    bool folder = false;
    bool readOnly = false;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // `share` is a set of Share flags.
    virtual DWORD Open(const std::wstring& path, Access access, unsigned share, Creation creation,
                       std::unique_ptr<File>& file) = 0;
    // One step, written through to the disk; over an existing `to` only with `replace`.
    virtual DWORD Move(const std::wstring& from, const std::wstring& to, bool replace) = 0;
    virtual DWORD Delete(const std::wstring& path) = 0;
    // Every file and folder in `folder` (which ends with a backslash).
    virtual DWORD List(const std::wstring& folder, std::vector<Found>& found) = 0;
    // ERROR_ALREADY_EXISTS when it is there.
    virtual DWORD CreateFolder(const std::wstring& path) = 0;
    virtual DWORD GetAttributes(const std::wstring& path, Attributes& attributes) = 0;
    virtual DWORD SetReadOnly(const std::wstring& path, bool readOnly) = 0;
    // Waits before a file another program holds is tried again.
    virtual void Pause(DWORD milliseconds) = 0;
};

// The system's files.
FileSystem& SystemFiles();

}  // namespace disk
