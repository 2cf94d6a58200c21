#pragma once
#include <windows.h>

#include <cstddef>

namespace e2e {

// A block of memory inside another process, for messages whose parameters point at
// structures (the list view's LVM_GETITEM): write the structure there, send the message,
// read the answer back. Freed at the end.
class RemoteMemory {
public:
    RemoteMemory(DWORD processId, size_t size);
    ~RemoteMemory();
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    explicit operator bool() const { return m_address != nullptr; }
    // The block's address in the other process.
    void* Address() const { return m_address; }
    bool Write(size_t offset, const void* data, size_t size) const;
    bool Read(size_t offset, void* data, size_t size) const;

private:
    HANDLE m_process = nullptr;
    void* m_address = nullptr;
    size_t m_size = 0;
};

}  // namespace e2e
