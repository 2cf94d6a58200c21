#include "shell/popup/TextScale.h"

#include "framework/Handles.h"

#include <algorithm>
#include <cstdlib>

namespace {

DWORD ReadSetting()
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Accessibility", 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS)
        return 0;
    UniqueRegKey key(opened);
    DWORD value = 0;
    DWORD type = 0;
    DWORD bytes = sizeof(value);
    if (RegQueryValueExW(key.Get(), L"TextScaleFactor", nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return value;
}

int MessageFontHeight()
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) ? metrics.lfMessageFont.lfHeight
                                                                                      : 0;
}

}  // namespace

int TextScale::Combine(DWORD setting, int messageFontHeight, int ownFontHeight)
{
    int percent = setting > static_cast<DWORD>(kLargest) ? kLargest : static_cast<int>(setting);
    // Font heights are negative for the character height, positive for the cell; both compare by size.
    if (messageFontHeight != 0 && ownFontHeight != 0)
        percent = std::max(percent, MulDiv(std::abs(messageFontHeight), kNormal, std::abs(ownFontHeight)));
    return std::clamp(percent, kNormal, kLargest);
}

int TextScale::Current(int ownFontHeight)
{
    return Combine(ReadSetting(), MessageFontHeight(), ownFontHeight);
}
