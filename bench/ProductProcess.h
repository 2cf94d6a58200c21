#pragma once
#include <windows.h>

#include <string>

#include "framework/Handles.h"

// One quillary.exe started from a folder of the benchmark's, watched from outside
// as a user would see it. Ended through its Exit command, or by force, at the end.
class ProductProcess {
public:
    explicit ProductProcess(std::wstring folder);
    ~ProductProcess();
    ProductProcess(const ProductProcess&) = delete;
    ProductProcess& operator=(const ProductProcess&) = delete;

    // Copies the built product into the folder (once) and starts it.
    bool Start();
    // True once the popup is shown, its list holds `entries` items as told by the
    // popup's own message loop (so start-up has run to its end), and the process
    // is idle (first paint done). False on timeout or when the process ended.
    bool WaitUntilReady(int entries, DWORD timeoutMs);
    HWND Popup() const { return m_popup; }
    HWND List() const { return m_list; }
    HANDLE Process() const { return m_process.Get(); }

    // The list's item count, or -1 when the popup does not answer in time.
    int ItemCount(DWORD timeoutMs = 10000) const;
    // Posts a command of the popup's menus (Exit, Clear All, ...).
    bool PostCommand(UINT id) const;
    // Waits until the popup has handled everything sent or posted before.
    bool Sync(DWORD timeoutMs = 10000) const;
    bool WaitForEnd(DWORD timeoutMs) const;
    bool IsRunning() const;

    // Private bytes; see PrivateBytesSource for where the value comes from. 0 when unknown.
    double PrivateBytes() const { return PrivateBytesOf(m_process.Get()); }
    static double PrivateBytesOf(HANDLE process);
    static const char* PrivateBytesSource();

    // The built product as a Windows path.
    static std::wstring ProductPath();

private:
    HWND FindPopup() const;
    void End();

    std::wstring m_folder;
    UniqueFileHandle m_process;
    DWORD m_processId = 0;
    HWND m_popup = nullptr;
    HWND m_list = nullptr;
};
