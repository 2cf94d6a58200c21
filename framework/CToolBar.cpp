#include "framework/CToolBar.h"

#include "framework/AfxResource.h"

namespace {

constexpr WORD kToolBarResourceVersion = 1;
const wchar_t* const kToolBarResourceType = MAKEINTRESOURCEW(241);  // RT_TOOLBAR

struct ToolBarResourceHeader {
    WORD version;
    WORD width;
    WORD height;
    WORD count;
};

}  // namespace

CToolBar::~CToolBar()
{
    if (m_hWnd)
        DestroyWindow();
}

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    return Create(parent ? parent->m_hWnd : nullptr, style, id);
}

BOOL CToolBar::Create(HWND parent, DWORD style, UINT id)
{
    DWORD windowStyle = (style & ~CBRS_ALL) | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    HWND window = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, windowStyle, 0, 0, 0, 0, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr),
                                    nullptr);
    if (!window)
        return FALSE;
    if (!SubclassWindow(window)) {
        ::DestroyWindow(window);
        return FALSE;
    }
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id)
{
    return LoadToolBar(MAKEINTRESOURCEW(id));
}

BOOL CToolBar::LoadToolBar(const wchar_t* name)
{
    if (!m_hWnd)
        return FALSE;
    HINSTANCE module = AfxFindResourceHandle(name, kToolBarResourceType);
    HRSRC resource = FindResourceW(module, name, kToolBarResourceType);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const auto* header = loaded ? static_cast<const ToolBarResourceHeader*>(LockResource(loaded)) : nullptr;
    DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (!header || size < sizeof(ToolBarResourceHeader) || header->version != kToolBarResourceVersion ||
        size < sizeof(ToolBarResourceHeader) + header->count * sizeof(WORD))
        return FALSE;

    const WORD* items = reinterpret_cast<const WORD*>(header + 1);
    std::vector<UINT> ids(items, items + header->count);
    m_imageSize = {header->width, header->height};
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(header->width, header->height));
    return LoadBitmapOf(name) && SetButtons(ids);
}

BOOL CToolBar::LoadBitmapOf(const wchar_t* name)
{
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    HRSRC resource = FindResourceW(module, name, RT_BITMAP);
    HBITMAP bitmap = AfxLoadSysColorBitmap(module, resource);
    if (!bitmap)
        bitmap = ::LoadBitmapW(module, name);
    if (!bitmap)
        return FALSE;
    m_bitmap.DeleteObject();
    m_bitmap.Attach(bitmap);
    BITMAP info = {};
    m_bitmap.GetBitmap(&info);
    TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
    int images = m_imageSize.cx > 0 ? info.bmWidth / m_imageSize.cx : 0;
    return SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) >= 0;
}

BOOL CToolBar::SetButtons(const std::vector<UINT>& ids)
{
    std::vector<TBBUTTON> buttons(ids.size());
    int image = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
        TBBUTTON& button = buttons[i];
        button.idCommand = static_cast<int>(ids[i]);
        if (ids[i] == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 0;
        } else {
            button.fsStyle = BTNS_BUTTON;
            button.fsState = TBSTATE_ENABLED;
            button.iBitmap = image++;
        }
    }
    return buttons.empty() ||
           SendMessage(TB_ADDBUTTONSW, static_cast<WPARAM>(buttons.size()), reinterpret_cast<LPARAM>(buttons.data()));
}

int CToolBar::CommandToIndex(UINT command) const
{
    return static_cast<int>(SendMessage(TB_COMMANDTOINDEX, command));
}

void CToolBar::GetButtonInfo(int index, UINT& id, UINT& style, int& image) const
{
    TBBUTTON button = {};
    SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
    id = static_cast<UINT>(button.idCommand);
    style = button.fsStyle;
    image = button.iBitmap;
}
