#include "shell/SingleInstance.h"

#include "shell/AppTitle.h"

namespace {

constexpr const wchar_t* kMutexName = L"Local\\Quillary.SingleInstance";
constexpr int kWaitSteps = 50;
constexpr DWORD kStepMs = 100;

}  // namespace

SingleInstance::SingleInstance() : m_mutex(CreateMutexW(nullptr, FALSE, kMutexName))
{
    // Without a mutex (no rights, no name space) the title check alone decides.
    m_first = !m_mutex || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool SingleInstance::ShowRunningCopy()
{
    for (int step = 0; step < kWaitSteps; ++step) {
        if (HWND running = FindWindowW(nullptr, kSingleInstanceTitle)) {
            ShowWindow(running, SW_SHOWNORMAL);
            return true;
        }
        Sleep(kStepMs);
    }
    return false;
}
