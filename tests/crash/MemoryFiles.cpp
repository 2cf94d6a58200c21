#include "MemoryFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>

namespace crash {

const char* NameOf(StepKind kind)
{
    static const char* const kNames[] = {"open",   "read", "write", "flush",         "set end",    "size",
                                         "move",   "delete", "list", "create folder", "attributes", "set read-only"};
    return kNames[static_cast<int>(kind)];
}

const char* NameOf(Torn torn)
{
    static const char* const kNames[] = {"unflushed writes lost", "unflushed writes kept", "last unflushed write torn"};
    return kNames[static_cast<int>(torn)];
}

namespace {

std::wstring Key(std::wstring path)
{
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();
    for (wchar_t& unit : path)
        unit = static_cast<wchar_t>(std::towupper(unit));
    return path;
}

std::wstring ParentKey(const std::wstring& key)
{
    const size_t slash = key.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : key.substr(0, slash);
}

void Place(std::vector<std::uint8_t>& bytes, std::uint64_t offset, const std::uint8_t* data, std::size_t count)
{
    if (bytes.size() < offset + count)
        bytes.resize(static_cast<std::size_t>(offset + count));
    std::memcpy(bytes.data() + offset, data, count);
}

bool Reads(disk::Access access) { return access != disk::Access::Write; }
bool Writes(disk::Access access) { return access != disk::Access::Read; }

}  // namespace

struct MemoryFiles::Content {
    struct Op {
        bool setEnd = false;
        std::uint64_t offset = 0;  // setEnd: the new length
        std::vector<std::uint8_t> data;
    };
    std::vector<std::uint8_t> bytes;    // as reads see them
    std::vector<std::uint8_t> flushed;  // on the disk as of the last flush
    std::vector<Op> unflushed;          // since: lengths (on the disk at once) and writes (not yet)

    bool HasUnflushedWrites() const
    {
        return std::any_of(unflushed.begin(), unflushed.end(), [](const Op& op) { return !op.setEnd; });
    }
    void SetEnd(std::uint64_t length)
    {
        bytes.resize(static_cast<std::size_t>(length));
        unflushed.push_back({true, length, {}});
    }
    std::vector<std::uint8_t> Durable(Torn torn) const
    {
        std::vector<std::uint8_t> out = flushed;
        size_t last = unflushed.size();
        for (size_t i = 0; i < unflushed.size(); ++i) {
            if (!unflushed[i].setEnd)
                last = i;
        }
        for (size_t i = 0; i < unflushed.size(); ++i) {
            const Op& op = unflushed[i];
            if (op.setEnd) {
                out.resize(static_cast<std::size_t>(op.offset));
                continue;
            }
            std::size_t kept = 0;
            if (torn == Torn::Whole || (torn == Torn::Half && i < last))
                kept = op.data.size();
            else if (torn == Torn::Half && i == last)
                kept = op.data.size() / 2;
            if (kept > 0)
                Place(out, op.offset, op.data.data(), kept);
        }
        return out;
    }
};

struct MemoryFiles::Handle : disk::File {
    MemoryFiles* files;
    std::shared_ptr<Content> content;
    std::wstring path;
    disk::Access access;
    unsigned share;

    Handle(MemoryFiles* owner, std::shared_ptr<Content> data, std::wstring name, disk::Access mode, unsigned sharing)
        : files(owner), content(std::move(data)), path(std::move(name)), access(mode), share(sharing)
    {
    }
    ~Handle() override
    {
        if (files)
            files->Forget(this);
    }

    DWORD ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override
    {
        got = 0;
        if (!files)
            return ERROR_INVALID_HANDLE;
        if (const DWORD error = files->Begin(StepKind::Read, path, false))
            return error;
        if (!Reads(access))
            return ERROR_ACCESS_DENIED;
        if (offset < content->bytes.size()) {
            got = static_cast<std::size_t>(std::min<std::uint64_t>(count, content->bytes.size() - offset));
            std::memcpy(buffer, content->bytes.data() + offset, got);
        }
        files->NoteRead(got);
        return ERROR_SUCCESS;
    }
    DWORD WriteAt(std::uint64_t offset, const void* data, std::size_t count) override
    {
        if (!files)
            return ERROR_INVALID_HANDLE;
        if (const DWORD error = files->Begin(StepKind::Write, path, true))
            return error;
        if (!Writes(access))
            return ERROR_ACCESS_DENIED;
        files->NoteWrite(path, data, count);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        Place(content->bytes, offset, bytes, count);
        content->unflushed.push_back({false, offset, std::vector<std::uint8_t>(bytes, bytes + count)});
        return ERROR_SUCCESS;
    }
    DWORD Flush() override
    {
        if (!files)
            return ERROR_INVALID_HANDLE;
        if (const DWORD error = files->Begin(StepKind::Flush, path, content->HasUnflushedWrites()))
            return error;
        content->flushed = content->bytes;
        content->unflushed.clear();
        files->NoteFlush(path);
        return ERROR_SUCCESS;
    }
    DWORD SetEnd(std::uint64_t length) override
    {
        if (!files)
            return ERROR_INVALID_HANDLE;
        if (const DWORD error = files->Begin(StepKind::SetEnd, path, length != content->bytes.size()))
            return error;
        if (!Writes(access))
            return ERROR_ACCESS_DENIED;
        content->SetEnd(length);
        return ERROR_SUCCESS;
    }
    DWORD Size(std::uint64_t& size) override
    {
        if (!files)
            return ERROR_INVALID_HANDLE;
        if (const DWORD error = files->Begin(StepKind::Size, path, false))
            return error;
        size = content->bytes.size();
        return ERROR_SUCCESS;
    }
};

MemoryFiles::MemoryFiles(const Image& image)
{
    for (const auto& entry : image.nodes) {
        Node node;
        node.path = entry.second.path;
        node.folder = entry.second.folder;
        node.readOnly = entry.second.readOnly;
        if (!node.folder) {
            node.content = std::make_shared<Content>();
            node.content->bytes = node.content->flushed = entry.second.bytes;
        }
        m_nodes[entry.first] = std::move(node);
    }
}

MemoryFiles::~MemoryFiles()
{
    for (Handle* handle : m_handles)
        handle->files = nullptr;
}

void MemoryFiles::Forget(Handle* handle)
{
    m_handles.erase(std::remove(m_handles.begin(), m_handles.end(), handle), m_handles.end());
}

DWORD MemoryFiles::Begin(StepKind kind, const std::wstring& path, bool changes)
{
    if (m_quiet)
        return ERROR_SUCCESS;
    if (m_cut)
        return ERROR_NOT_READY;
    const int index = Steps();
    m_log.push_back({kind, path, changes, changes && HasUnflushed()});
    if (m_trace)
        std::printf("  step %d: %s %ls\n", index, NameOf(kind), path.c_str());
    if (m_fault.mode == Fault::Mode::Fail && !m_heldPath.empty() && index <= m_fault.step + m_fault.held &&
        Key(path) == m_heldPath)
        return m_fault.error;
    if (index != m_fault.step)
        return ERROR_SUCCESS;
    if (m_fault.mode == Fault::Mode::Fail) {
        m_failed = true;
        if (m_fault.held > 0)
            m_heldPath = Key(path);
        return m_fault.error;
    }
    if (m_fault.mode == Fault::Mode::Cut) {
        for (Torn torn : {Torn::Lost, Torn::Whole, Torn::Half})
            m_cutImages[torn] = Take(torn);
        m_cut = true;
        return ERROR_NOT_READY;
    }
    return ERROR_SUCCESS;
}

void MemoryFiles::NoteRead(std::size_t bytes)
{
    if (m_quiet)
        return;
    ++m_readCalls;
    m_readBytes += bytes;
}

void MemoryFiles::NoteWrite(const std::wstring& path, const void* data, std::size_t count)
{
    if (m_watcher && !m_quiet)
        m_watcher(path, static_cast<const std::uint8_t*>(data), count);
}

void MemoryFiles::NoteFlush(const std::wstring& path)
{
    if (m_flushWatcher && !m_quiet)
        m_flushWatcher(path);
}

MemoryFiles::Node* MemoryFiles::Find(const std::wstring& path)
{
    auto found = m_nodes.find(Key(path));
    return found == m_nodes.end() ? nullptr : &found->second;
}

bool MemoryFiles::ParentExists(const std::wstring& path) const
{
    const std::wstring parent = ParentKey(Key(path));
    if (parent.find(L'\\') == std::wstring::npos)
        return true;  // a drive
    auto found = m_nodes.find(parent);
    return found != m_nodes.end() && found->second.folder;
}

bool MemoryFiles::HeldWithout(const Content& content, unsigned share) const
{
    return std::any_of(m_handles.begin(), m_handles.end(),
                       [&](const Handle* handle) { return handle->content.get() == &content && !(handle->share & share); });
}

Image MemoryFiles::Take(Torn torn) const
{
    Image image;
    for (const auto& entry : m_nodes) {
        Image::Node node;
        node.path = entry.second.path;
        node.folder = entry.second.folder;
        node.readOnly = entry.second.readOnly;
        if (!node.folder)
            node.bytes = entry.second.content->Durable(torn);
        image.nodes[entry.first] = std::move(node);
    }
    return image;
}

Image MemoryFiles::CutImage(Torn torn) const
{
    auto found = m_cutImages.find(torn);
    return found == m_cutImages.end() ? Now() : found->second;
}

Image MemoryFiles::Now() const
{
    return Take(Torn::Whole);
}

bool MemoryFiles::HasUnflushed() const
{
    return std::any_of(m_nodes.begin(), m_nodes.end(), [](const auto& entry) {
        return entry.second.content && entry.second.content->HasUnflushedWrites();
    });
}

DWORD MemoryFiles::Open(const std::wstring& path, disk::Access access, unsigned share, disk::Creation creation,
                        std::unique_ptr<disk::File>& file)
{
    file.reset();
    Node* node = Find(path);
    const bool creates = (!node && creation != disk::Creation::OpenExisting) ||
                         (node && !node->folder && creation == disk::Creation::CreateAlways &&
                          !node->content->bytes.empty());
    if (const DWORD error = Begin(StepKind::Open, path, creates))
        return error;
    if (!node) {
        if (!ParentExists(path))
            return ERROR_PATH_NOT_FOUND;
        if (creation == disk::Creation::OpenExisting)
            return ERROR_FILE_NOT_FOUND;
    } else if (node->folder || (node->readOnly && (Writes(access) || creation == disk::Creation::CreateAlways))) {
        return ERROR_ACCESS_DENIED;
    }
    if (node) {
        for (const Handle* handle : m_handles) {
            if (handle->content != node->content)
                continue;
            if ((Reads(access) && !(handle->share & disk::kShareRead)) ||
                (Writes(access) && !(handle->share & disk::kShareWrite)) ||
                (Reads(handle->access) && !(share & disk::kShareRead)) ||
                (Writes(handle->access) && !(share & disk::kShareWrite)))
                return ERROR_SHARING_VIOLATION;
        }
    }
    if (!node) {
        Node created;
        created.path = path;
        created.created = static_cast<std::uint64_t>(Steps());
        created.content = std::make_shared<Content>();
        node = &(m_nodes[Key(path)] = std::move(created));
    } else if (creation == disk::Creation::CreateAlways) {
        node->content->SetEnd(0);
    }
    auto handle = std::make_unique<Handle>(this, node->content, path, access, share);
    m_handles.push_back(handle.get());
    file = std::move(handle);
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::Move(const std::wstring& from, const std::wstring& to, bool replace)
{
    if (const DWORD error = Begin(StepKind::Move, from + L" -> " + to, true))
        return error;
    Node* source = Find(from);
    if (!source)
        return ParentExists(from) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    if (Key(from) == Key(to))
        return ERROR_SUCCESS;
    if (source->content && HeldWithout(*source->content, disk::kShareDelete))
        return ERROR_SHARING_VIOLATION;
    if (!ParentExists(to))
        return ERROR_PATH_NOT_FOUND;
    if (Node* target = Find(to)) {
        if (!replace)
            return ERROR_ALREADY_EXISTS;
        if (target->folder || target->readOnly || HeldWithout(*target->content, disk::kShareDelete))
            return ERROR_ACCESS_DENIED;
    }
    Node moved = *source;
    moved.path = to;
    m_nodes.erase(Key(from));
    m_nodes[Key(to)] = std::move(moved);
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::Delete(const std::wstring& path)
{
    if (const DWORD error = Begin(StepKind::Delete, path, true))
        return error;
    Node* node = Find(path);
    if (!node)
        return ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    if (node->folder || node->readOnly)
        return ERROR_ACCESS_DENIED;
    if (HeldWithout(*node->content, disk::kShareDelete))
        return ERROR_SHARING_VIOLATION;
    m_nodes.erase(Key(path));
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::List(const std::wstring& folder, std::vector<disk::Found>& found)
{
    found.clear();
    if (const DWORD error = Begin(StepKind::List, folder, false))
        return error;
    const std::wstring key = Key(folder);
    auto self = m_nodes.find(key);
    if (self == m_nodes.end() || !self->second.folder)
        return ERROR_PATH_NOT_FOUND;
    for (const auto& entry : m_nodes) {
        if (ParentKey(entry.first) != key)
            continue;
        disk::Found item;
        item.name = entry.second.path.substr(entry.second.path.rfind(L'\\') + 1);
        item.folder = entry.second.folder;
        item.size = item.folder ? 0 : entry.second.content->bytes.size();
        item.created = entry.second.created;
        found.push_back(std::move(item));
    }
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::CreateFolder(const std::wstring& path)
{
    const bool exists = Find(path) != nullptr;
    if (const DWORD error = Begin(StepKind::CreateFolder, path, !exists))
        return error;
    if (exists)
        return ERROR_ALREADY_EXISTS;
    if (!ParentExists(path))
        return ERROR_PATH_NOT_FOUND;
    Node node;
    node.path = path;
    while (!node.path.empty() && node.path.back() == L'\\')
        node.path.pop_back();
    node.folder = true;
    m_nodes[Key(path)] = std::move(node);
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::GetAttributes(const std::wstring& path, disk::Attributes& attributes)
{
    if (const DWORD error = Begin(StepKind::Attributes, path, false))
        return error;
    const Node* node = Find(path);
    if (!node)
        return ParentExists(path) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    attributes = disk::Attributes();
    attributes.folder = node->folder;
    attributes.readOnly = node->readOnly;
    attributes.size = node->folder ? 0 : node->content->bytes.size();
    attributes.written = node->created;
    return ERROR_SUCCESS;
}

DWORD MemoryFiles::SetReadOnly(const std::wstring& path, bool readOnly)
{
    if (const DWORD error = Begin(StepKind::SetReadOnly, path, true))
        return error;
    Node* node = Find(path);
    if (!node)
        return ERROR_FILE_NOT_FOUND;
    node->readOnly = readOnly;
    return ERROR_SUCCESS;
}

}  // namespace crash
