#pragma once
// Files in memory for the crash explorer. Every operation is a numbered step.
// At a chosen step the file system either fails that one step with an error
// and goes on, or cuts the run: that step and every one after it never
// happen, and the files are kept as a power cut leaves them: each write since
// its file's last flush lost, kept whole, or torn. Moves, deletes, new files
// and new lengths are on the disk at once, as the system's metadata log keeps
// them; written bytes only once flushed.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "history/store/disk/FileSystem.h"

namespace crash {

enum class StepKind { Open, Read, Write, Flush, SetEnd, Size, Move, Delete, List, CreateFolder, Attributes, SetReadOnly };
const char* NameOf(StepKind kind);

struct Step {
    StepKind kind;
    std::wstring path;
    bool changes = false;     // a cut here can leave the files otherwise than a cut at the step before
    bool unflushed = false;   // writes not yet flushed lie about: a cut here can tear them
};

// What a cut keeps of the writes since each file's last flush.
enum class Torn { Lost, Whole, Half };
const char* NameOf(Torn torn);

struct Fault {
    enum class Mode { None, Fail, Cut };
    Mode mode = Mode::None;
    int step = -1;
    DWORD error = ERROR_SUCCESS;  // Fail: what the step returns
    // Fail: the same file's steps go on failing for this many steps after it, as
    // when another program holds it for a while.
    int held = 0;
};

// The files and folders as they lie on the disk: full path, bytes (none for a folder).
struct Image {
    struct Node {
        std::wstring path;
        bool folder = false;
        bool readOnly = false;
        std::vector<std::uint8_t> bytes;
    };
    std::map<std::wstring, Node> nodes;  // by upper-cased path
};

class MemoryFiles : public disk::FileSystem {
public:
    MemoryFiles() = default;
    explicit MemoryFiles(const Image& image);
    ~MemoryFiles() override;
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    void SetFault(const Fault& fault) { m_fault = fault; }
    int Steps() const { return static_cast<int>(m_log.size()); }
    const std::vector<Step>& Log() const { return m_log; }
    bool IsCut() const { return m_cut; }
    bool Failed() const { return m_failed; }
    // The files as the cut left them (the cut happened), or as they lie now.
    Image CutImage(Torn torn) const;
    Image Now() const;
    // Whether a cut now would keep any write that is not yet flushed.
    bool HasUnflushed() const;

    // The explorer's own looks at the files: no step, no fault, even after a cut.
    class Quiet {
    public:
        explicit Quiet(MemoryFiles& files) : m_files(files), m_was(files.m_quiet) { files.m_quiet = true; }
        ~Quiet() { m_files.m_quiet = m_was; }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        MemoryFiles& m_files;
        bool m_was;
    };

    // Sees every write's bytes before they land (file, bytes).
    using WriteWatcher = std::function<void(const std::wstring&, const std::uint8_t*, std::size_t)>;
    void WatchWrites(WriteWatcher watcher) { m_watcher = std::move(watcher); }
    // Sees every flush that reached the disk (the file's path).
    void WatchFlushes(std::function<void(const std::wstring&)> watcher) { m_flushWatcher = std::move(watcher); }
    // Prints every step as it begins (for a person looking into one case).
    void Trace(bool on) { m_trace = on; }
    // Reads since the last reset: calls and bytes.
    void ResetReads() { m_readCalls = m_readBytes = 0; }
    std::uint64_t ReadCalls() const { return m_readCalls; }
    std::uint64_t ReadBytes() const { return m_readBytes; }

    DWORD Open(const std::wstring& path, disk::Access access, unsigned share, disk::Creation creation,
               std::unique_ptr<disk::File>& file) override;
    DWORD Move(const std::wstring& from, const std::wstring& to, bool replace) override;
    DWORD Delete(const std::wstring& path) override;
    DWORD List(const std::wstring& folder, std::vector<disk::Found>& found) override;
    DWORD CreateFolder(const std::wstring& path) override;
    DWORD GetAttributes(const std::wstring& path, disk::Attributes& attributes) override;
    DWORD SetReadOnly(const std::wstring& path, bool readOnly) override;
    void Pause(DWORD) override {}

    struct Content;
    struct Handle;
    // A step begins: ERROR_SUCCESS to go on, else what the step returns.
    DWORD Begin(StepKind kind, const std::wstring& path, bool changes);
    void NoteRead(std::size_t bytes);
    void NoteWrite(const std::wstring& path, const void* data, std::size_t count);
    void NoteFlush(const std::wstring& path);
    void Forget(Handle* handle);

private:
    struct Node {
        std::wstring path;
        bool folder = false;
        bool readOnly = false;
        std::uint64_t created = 0;
        std::shared_ptr<Content> content;
    };
    Node* Find(const std::wstring& path);
    bool ParentExists(const std::wstring& path) const;
    bool HeldWithout(const Content& content, unsigned share) const;
    Image Take(Torn torn) const;

    std::map<std::wstring, Node> m_nodes;
    std::vector<Handle*> m_handles;
    std::vector<Step> m_log;
    Fault m_fault;
    std::wstring m_heldPath;
    bool m_cut = false;
    bool m_failed = false;
    bool m_quiet = false;
    bool m_trace = false;
    std::map<Torn, Image> m_cutImages;
    WriteWatcher m_watcher;
    std::function<void(const std::wstring&)> m_flushWatcher;
    std::uint64_t m_readCalls = 0;
    std::uint64_t m_readBytes = 0;
};

}  // namespace crash
