#include "history/store/saveset/Temporaries.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <mutex>
#include <set>

#include "framework/Handles.h"

namespace temporaries {

namespace {

std::mutex& TokensLock()
{
    static std::mutex lock;
    return lock;
}

std::set<std::wstring>& Tokens()
{
    static std::set<std::wstring> tokens;
    return tokens;
}

bool AllDigits(const std::wstring& text)
{
    return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring::npos;
}

// "<process id>-<count>" of a temporary's name; empty when the name is not one of ours.
std::wstring TokenOf(const std::wstring& name)
{
    if (!IsTemporary(name))
        return {};
    const size_t end = name.size() - std::wcslen(kSuffix);
    const size_t dash = name.rfind(L'-', end);
    const size_t dot = dash == std::wstring::npos ? std::wstring::npos : name.rfind(L'.', dash);
    if (dot == std::wstring::npos || !AllDigits(name.substr(dot + 1, dash - dot - 1)) ||
        !AllDigits(name.substr(dash + 1, end - dash - 1)))
        return {};
    return name.substr(dot + 1, end - dot - 1);
}

// Whether the program `pid` of this account runs and was started before `created`.
bool RunningSince(DWORD pid, std::uint64_t created)
{
    UniqueKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    FILETIME started, exited, kernel, user;
    if (!process || WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT ||
        !GetProcessTimes(process.Get(), &started, &exited, &kernel, &user))
        return false;
    const std::uint64_t start = (static_cast<std::uint64_t>(started.dwHighDateTime) << 32) | started.dwLowDateTime;
    return start <= created;
}

}  // namespace

std::wstring Claim()
{
    static std::atomic<unsigned long> counter{0};
    std::wstring token = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    std::lock_guard<std::mutex> lock(TokensLock());
    Tokens().insert(token);
    return token;
}

void Release(const std::wstring& token)
{
    std::lock_guard<std::mutex> lock(TokensLock());
    Tokens().erase(token);
}

bool IsTemporary(const std::wstring& name)
{
    const size_t suffix = std::wcslen(kSuffix);
    return name.size() > suffix && name.compare(name.size() - suffix, suffix, kSuffix) == 0;
}

bool InUse(const std::wstring& name, std::uint64_t created)
{
    const std::wstring token = TokenOf(name);
    if (token.empty())
        return false;
    const DWORD pid = static_cast<DWORD>(std::wcstoul(token.c_str(), nullptr, 10));
    if (pid == GetCurrentProcessId()) {
        std::lock_guard<std::mutex> lock(TokensLock());
        return Tokens().count(token) != 0;
    }
    return RunningSince(pid, created);
}

}  // namespace temporaries
