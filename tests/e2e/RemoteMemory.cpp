#include "tests/e2e/RemoteMemory.h"

namespace e2e {

RemoteMemory::RemoteMemory(DWORD processId, size_t size)
    : m_process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId)),
      m_size(size)
{
    if (m_process)
        m_address = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteMemory::~RemoteMemory()
{
    if (m_address)
        VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

bool RemoteMemory::Write(size_t offset, const void* data, size_t size) const
{
    SIZE_T done = 0;
    return m_address && offset + size <= m_size
           && WriteProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size, &done) && done == size;
}

bool RemoteMemory::Read(size_t offset, void* data, size_t size) const
{
    SIZE_T done = 0;
    return m_address && offset + size <= m_size
           && ReadProcessMemory(m_process, static_cast<char*>(m_address) + offset, data, size, &done) && done == size;
}

}  // namespace e2e
