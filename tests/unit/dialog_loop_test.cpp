// The modal loop, the creation binding, reflection and clean-up of the
// framework's dialog, run against real windows.
#include <gtest/gtest.h>

#include "framework/CButton.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/CListCtrl.h"
#include "resource.h"

#include <memory>
#include <new>
#include <vector>

namespace {

constexpr UINT kProbe = WM_APP + 1;
constexpr UINT kSwallowed = WM_APP + 2;
constexpr UINT kFinish = WM_APP + 3;

struct Seen {
    UINT message;
    bool beforeDispatch;  // true: PreTranslateMessage, false: the window procedure
};

class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_QUILLARY_DIALOG) {}

    std::vector<Seen> seen;
    bool sawCreate = false;
    bool createBeforeInit = false;
    bool escapeConsumed = true;
    std::vector<UINT> postsAtInit;
    HWND windowAtInit = nullptr;
    HWND listAtInit = nullptr;

    CListCtrl list;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_LIST_HISTORY, list); }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        createBeforeInit = sawCreate;
        windowAtInit = m_hWnd;
        listAtInit = list.m_hWnd;
        for (UINT message : postsAtInit)
            PostMessage(message);
        return TRUE;
    }

    BOOL PreTranslateMessage(MSG* msg) override
    {
        if (msg->message >= WM_APP)
            seen.push_back({msg->message, true});
        if (msg->message == kSwallowed)
            return TRUE;
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE && escapeConsumed) {
            seen.push_back({WM_KEYDOWN, true});
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == WM_CREATE)
            sawCreate = true;
        if (message >= WM_APP)
            seen.push_back({message, false});
        if (message == kFinish) {
            EndDialog(42);
            result = 0;
            return true;
        }
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
};

TEST(DialogLoop, PreTranslateSeesQueuedMessagesFirstAndConsumedOnesGoNoFurther)
{
    ProbeDialog dialog;
    dialog.postsAtInit = {kProbe, kSwallowed, kFinish};
    EXPECT_EQ(42, dialog.DoModal());

    ASSERT_EQ(5u, dialog.seen.size());
    EXPECT_EQ(kProbe, dialog.seen[0].message);
    EXPECT_TRUE(dialog.seen[0].beforeDispatch);
    EXPECT_EQ(kProbe, dialog.seen[1].message);
    EXPECT_FALSE(dialog.seen[1].beforeDispatch);
    // The swallowed message was offered once and never dispatched.
    EXPECT_EQ(kSwallowed, dialog.seen[2].message);
    EXPECT_TRUE(dialog.seen[2].beforeDispatch);
    EXPECT_EQ(kFinish, dialog.seen[3].message);
    EXPECT_TRUE(dialog.seen[3].beforeDispatch);
    EXPECT_EQ(kFinish, dialog.seen[4].message);
    EXPECT_FALSE(dialog.seen[4].beforeDispatch);
    EXPECT_TRUE(dialog.sawCreate);
    EXPECT_TRUE(dialog.createBeforeInit);
}

// Esc on the list ends a plain dialog through the dialog manager (IDCANCEL),
// but only when PreTranslateMessage lets it through.
class EscapeDialog : public ProbeDialog {
protected:
    BOOL OnInitDialog() override
    {
        BOOL result = ProbeDialog::OnInitDialog();
        list.SetFocus();
        ::PostMessageW(list.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessage(kProbe);
        return result;
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        if (message == kProbe) {
            // The first Esc was consumed; the second one reaches the dialog manager.
            escapeConsumed = false;
            ::PostMessageW(list.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        return ProbeDialog::OnMessage(message, wParam, lParam, result);
    }
};

TEST(DialogLoop, ConsumedKeyNeverReachesTheDialogManager)
{
    EscapeDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    ASSERT_GE(dialog.seen.size(), 1u);
    EXPECT_EQ(static_cast<UINT>(WM_KEYDOWN), dialog.seen[0].message);
}

// A handler that throws before dispatch (running out of memory while pasting,
// say) loses its message, not the loop and with it the program.
TEST(DialogLoop, AFailureBeforeDispatchLeavesTheLoopRunning)
{
    class Throwing : public ProbeDialog {
    protected:
        BOOL PreTranslateMessage(MSG* msg) override
        {
            if (msg->message == kSwallowed)
                throw std::bad_alloc();
            return ProbeDialog::PreTranslateMessage(msg);
        }
    };
    Throwing dialog;
    dialog.postsAtInit = {kSwallowed, kFinish};
    INT_PTR result = 0;
    EXPECT_NO_THROW(result = dialog.DoModal());
    EXPECT_EQ(42, result);
}

TEST(DialogLoop, QuitPostedDuringTheLoopEndsItAndStaysQueued)
{
    class QuittingDialog : public CDialog {
    public:
        QuittingDialog() : CDialog(IDD_QUILLARY_DIALOG) {}
    protected:
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            PostQuitMessage(7);
            return TRUE;
        }
    } dialog;

    dialog.DoModal();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, msg.wParam);
}

TEST(DialogLoop, WindowsAndBindingsAreReleasedOnEveryPath)
{
    HWND dialogWindow = nullptr;
    HWND listWindow = nullptr;
    {
        ProbeDialog dialog;
        dialog.postsAtInit = {kFinish};
        dialog.DoModal();
        dialogWindow = dialog.windowAtInit;
        listWindow = dialog.listAtInit;
        ASSERT_NE(nullptr, dialogWindow);
        ASSERT_NE(nullptr, listWindow);
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(dialogWindow));
        EXPECT_EQ(nullptr, dialog.m_hWnd);
        EXPECT_EQ(nullptr, dialog.list.m_hWnd);
    }
    EXPECT_FALSE(IsWindow(dialogWindow));
    EXPECT_FALSE(IsWindow(listWindow));

    // A template that does not exist: DoModal fails, and the creation binding is
    // not left behind to grab the next dialog.
    CDialog missing(4242);
    EXPECT_EQ(-1, missing.DoModal());
    EXPECT_EQ(nullptr, missing.m_hWnd);

    ProbeDialog next;
    next.postsAtInit = {kFinish};
    EXPECT_EQ(42, next.DoModal());
    EXPECT_TRUE(next.sawCreate);
}

TEST(DialogLoop, ModalDialogDisablesItsOwnerOnlyWhileItRuns)
{
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    CWnd ownerObject;
    ASSERT_TRUE(ownerObject.SubclassWindow(owner));

    class OwnedDialog : public CDialog {
    public:
        explicit OwnedDialog(CWnd* parent) : CDialog(IDD_QUILLARY_DIALOG, parent) {}
        bool ownerWasDisabled = false;
        HWND owner = nullptr;
    protected:
        BOOL OnInitDialog() override
        {
            CDialog::OnInitDialog();
            PostMessage(kFinish);
            return TRUE;
        }
        bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override
        {
            if (message == kFinish) {
                ownerWasDisabled = !::IsWindowEnabled(owner);
                EndDialog(IDOK);
                return true;
            }
            return CDialog::OnMessage(message, wParam, lParam, result);
        }
    } dialog(&ownerObject);
    dialog.owner = owner;

    EXPECT_EQ(IDOK, dialog.DoModal());
    EXPECT_TRUE(dialog.ownerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    ownerObject.DestroyWindow();
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_EQ(nullptr, ownerObject.m_hWnd);
}

// A bound control hears its own notifications first; what it leaves goes on to the parent.
class ReflectingButton : public CButton {
public:
    bool handleClicks = false;
    int clicksSeen = 0;
    int notifiesSeen = 0;
protected:
    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override
    {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
            ++clicksSeen;
            result = 0;
            return handleClicks;
        }
        if (message == WM_NOTIFY) {
            ++notifiesSeen;
            result = 99;
            return true;
        }
        return false;
    }
};

class ReflectionDialog : public CDialog {
public:
    ReflectionDialog() : CDialog(IDD_QUILLARY_DIALOG) {}
    ReflectingButton button;
    int parentClicks = 0;
    LRESULT notifyResult = 0;
    int parentNotifies = 0;
protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_BUTTON_OPTIONS, button); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        button.SendMessage(BM_CLICK);
        button.handleClicks = true;
        button.SendMessage(BM_CLICK);

        NMHDR header = {button.m_hWnd, IDC_BUTTON_OPTIONS, NM_CLICK};
        notifyResult = SendMessage(WM_NOTIFY, IDC_BUTTON_OPTIONS, reinterpret_cast<LPARAM>(&header));
        // The list's notifications are not the button's business.
        NMHDR fromList = {GetDlgItem(IDC_LIST_HISTORY)->m_hWnd, IDC_LIST_HISTORY, NM_CLICK};
        SendMessage(WM_NOTIFY, IDC_LIST_HISTORY, reinterpret_cast<LPARAM>(&fromList));
        PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        if (LOWORD(wParam) == IDC_BUTTON_OPTIONS) {
            ++parentClicks;
            return true;
        }
        return CDialog::OnCommand(wParam, lParam);
    }
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) override
    {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code != static_cast<UINT>(NM_CLICK))
            return CDialog::OnNotify(wParam, lParam, result);
        ++parentNotifies;
        result = 0;
        return true;
    }
};

TEST(DialogLoop, BoundControlGetsReflectedNotificationsBeforeTheParent)
{
    ReflectionDialog dialog;
    EXPECT_EQ(IDCANCEL, dialog.DoModal());
    EXPECT_EQ(2, dialog.button.clicksSeen);
    EXPECT_EQ(1, dialog.parentClicks);  // only the click the button left alone
    EXPECT_EQ(1, dialog.button.notifiesSeen);
    EXPECT_EQ(99, dialog.notifyResult);
    EXPECT_EQ(1, dialog.parentNotifies);  // the list's click only
}

// A dialog opened and ended from another dialog's initialisation: the inner
// one is bound from its first message and returns the result EndDialog gave it;
// the outer one goes on and ends normally.
TEST(DialogLoop, DialogEndedOrOpenedDuringInitialisationReturnsItsResult)
{
    class EndsAtInit : public ProbeDialog {
    protected:
        BOOL OnInitDialog() override
        {
            ProbeDialog::OnInitDialog();
            EndDialog(7);
            return TRUE;
        }
    };
    class OpensAtInit : public ProbeDialog {
    public:
        INT_PTR innerResult = 0;
        bool innerSawCreate = false;
    protected:
        BOOL OnInitDialog() override
        {
            ProbeDialog::OnInitDialog();
            EndsAtInit inner;
            innerResult = inner.DoModal();
            innerSawCreate = inner.sawCreate;
            PostMessage(kFinish);
            return TRUE;
        }
    };
    OpensAtInit outer;
    EXPECT_EQ(42, outer.DoModal());
    EXPECT_TRUE(outer.sawCreate);
    EXPECT_EQ(7, outer.innerResult);
    EXPECT_TRUE(outer.innerSawCreate);

    ProbeDialog next;
    next.postsAtInit = {kFinish};
    EXPECT_EQ(42, next.DoModal());
    EXPECT_TRUE(next.sawCreate);
}

WNDPROC g_replaced = nullptr;
int g_lengthQueries = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_GETTEXTLENGTH)
        ++g_lengthQueries;
    return CallWindowProcW(g_replaced, window, message, wParam, lParam);
}

// Binding replaces the window procedure and gives it back: the original when
// ours is still installed, and otherwise the procedure installed after ours keeps
// working through ours after the object let go.
TEST(Binding, ObjectsLetGoOfTheWindowProcedureOnEveryPath)
{
    HWND window = CreateWindowExW(0, L"EDIT", L"abc", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
    {
        CWnd first;
        ASSERT_TRUE(first.SubclassWindow(window));
        EXPECT_NE(original, GetWindowLongPtrW(window, GWLP_WNDPROC));
        EXPECT_EQ(3, GetWindowTextLengthW(window));
    }
    EXPECT_EQ(original, GetWindowLongPtrW(window, GWLP_WNDPROC));

    auto second = std::make_unique<CWnd>();
    ASSERT_TRUE(second->SubclassWindow(window));
    g_replaced = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC,
                                                             reinterpret_cast<LONG_PTR>(&CountingProc)));
    second.reset();
    // Ours is still in the chain below the counting procedure and passes everything on.
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&CountingProc), GetWindowLongPtrW(window, GWLP_WNDPROC));
    EXPECT_EQ(3, GetWindowTextLengthW(window));
    EXPECT_EQ(1, g_lengthQueries);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(window));
    DestroyWindow(window);

    // A bound object sees its window's end and is released from it.
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    CWnd bound;
    ASSERT_TRUE(bound.SubclassWindow(edit));
    DestroyWindow(edit);
    EXPECT_EQ(nullptr, bound.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(edit));
}

}  // namespace
