#include "shell/popup/SearchAnnouncer.h"

#include <vector>

namespace {

// Named here: this SDK level does not define them, and the GUIDs are spelled
// out for the same reason as IAccessible's (static import libraries).
constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
constexpr long kPolite = 1;                   // LiveSetting Polite
constexpr int kActionCompleted = 2;           // NotificationKind_ActionCompleted
constexpr int kMostRecent = 3;                // NotificationProcessing_MostRecent
const CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
const IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
const GUID kLiveSetting = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};

using HostProviderFn = HRESULT(WINAPI*)(HWND, IUnknown**);
using RaiseNotificationFn = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

template <typename Function>
Function Lookup(HMODULE module, const char* name)
{
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HMODULE LoadAutomation()
{
    std::vector<wchar_t> folder(MAX_PATH);
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length == 0 || length >= folder.size())
        return nullptr;
    return LoadLibraryW((std::wstring(folder.data(), length) + L"\\uiautomationcore.dll").c_str());
}

class Bstr {
public:
    explicit Bstr(const std::wstring& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text;
};

}  // namespace

SearchAnnouncer::~SearchAnnouncer()
{
    Destroy();
    if (m_automation)
        FreeLibrary(m_automation);
}

void SearchAnnouncer::Create(HWND popup, HWND search, UINT regionId)
{
    m_search = search;
    m_region = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, popup,
                               reinterpret_cast<HMENU>(static_cast<UINT_PTR>(regionId)), GetModuleHandleW(nullptr),
                               nullptr);
    m_automation = LoadAutomation();
    // UI Automation hears a live region by this annotation; a system without it (Wine) still has the event.
    if (m_region && SUCCEEDED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                                               reinterpret_cast<void**>(&m_annotations)))) {
        VARIANT polite;
        VariantInit(&polite);
        polite.vt = VT_I4;
        polite.lVal = kPolite;
        m_annotations->SetHwndProp(m_region, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kLiveSetting, polite);
    }
}

void SearchAnnouncer::Destroy()
{
    if (m_annotations) {
        if (m_region)
            m_annotations->ClearHwndProps(m_region, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kLiveSetting, 1);
        m_annotations->Release();
        m_annotations = nullptr;
    }
    m_region = nullptr;
}

bool SearchAnnouncer::Notify(const std::wstring& text)
{
    const auto hostProvider = Lookup<HostProviderFn>(m_automation, "UiaHostProviderFromHwnd");
    const auto raise = Lookup<RaiseNotificationFn>(m_automation, "UiaRaiseNotificationEvent");
    if (!hostProvider || !raise)
        return false;
    IUnknown* provider = nullptr;
    if (FAILED(hostProvider(m_search, &provider)) || !provider)
        return false;
    const Bstr news(text);
    const Bstr activity(L"Quillary.Search");
    const HRESULT raised = raise(provider, kActionCompleted, kMostRecent, news.Get(), activity.Get());
    provider->Release();
    return SUCCEEDED(raised);
}

void SearchAnnouncer::Announce(const std::wstring& text)
{
    if (!m_region)
        return;
    // The region's name is the news, whichever way it is told.
    SetWindowTextW(m_region, text.c_str());
    if (!Notify(text))
        NotifyWinEvent(kLiveRegionChanged, m_region, OBJID_CLIENT, CHILDID_SELF);
}

std::wstring SearchAnnouncer::Found(int matches, const std::wstring& selectedName, bool searching)
{
    if (matches <= 0)
        return searching ? L"No entry matches" : L"No entries";
    std::wstring found = matches == 1 ? L"1 entry" : std::to_wstring(matches) + L" entries";
    if (!selectedName.empty())
        found += L", " + selectedName;
    return found;
}
