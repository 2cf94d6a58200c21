#pragma once
// Helpers shared by the control tests: a drawing surface whose pixels can be
// read back, BMP output for screenshots, and guards that put class-wide
// settings and registry values back.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "controls/KelvoMenu.h"
#include "framework/CDC.h"

namespace control_test {

// A 32-bit top-down DIB selected into a memory DC, pre-filled with one colour.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : m_width(width), m_height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        m_bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_dc.CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        m_previous = m_dc.SelectObject(m_bitmap);
        m_dc.FillSolidRect(0, 0, width, height, fill);
    }
    ~Canvas()
    {
        m_dc.SelectObject(m_previous);
        DeleteObject(m_bitmap);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    CDC& dc() { return m_dc; }
    HDC hdc() const { return m_dc.m_hDC; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        uint32_t value = m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Bounding box of the pixels of one colour inside `area`; empty (left > right) when there are none.
    RECT BoundsOf(COLORREF colour, const RECT& area) const
    {
        RECT bounds = {area.right, area.bottom, area.left - 1, area.top - 1};
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (Pixel(x, y) != colour)
                    continue;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x);
                bounds.bottom = std::max<LONG>(bounds.bottom, y);
            }
        }
        return bounds;
    }

    // Bounding box of the pixels that differ from `background`.
    RECT InkBounds(COLORREF background, const RECT& area) const
    {
        RECT bounds = {area.right, area.bottom, area.left - 1, area.top - 1};
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (Pixel(x, y) == background)
                    continue;
                bounds.left = std::min<LONG>(bounds.left, x);
                bounds.top = std::min<LONG>(bounds.top, y);
                bounds.right = std::max<LONG>(bounds.right, x);
                bounds.bottom = std::max<LONG>(bounds.bottom, y);
            }
        }
        return bounds;
    }

    std::vector<uint32_t> Snapshot() const
    {
        GdiFlush();
        return std::vector<uint32_t>(m_bits, m_bits + static_cast<size_t>(m_width) * static_cast<size_t>(m_height));
    }

    bool SaveBmp(const std::wstring& path) const
    {
        GdiFlush();
        return WriteBmp(path, m_bits, m_width, m_height);
    }

    // A 24-bit BMP: the canvas's fourth byte is no alpha, and readers must not take it for one.
    static bool WriteBmp(const std::wstring& path, const uint32_t* bits, int width, int height)
    {
        size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
        std::vector<unsigned char> image(stride * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                uint32_t value = bits[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
                unsigned char* out = &image[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
                out[0] = static_cast<unsigned char>(value & 0xFF);
                out[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
                out[2] = static_cast<unsigned char>((value >> 16) & 0xFF);
            }
        }
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof(info);
        info.biWidth = width;
        info.biHeight = -height;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        info.biSizeImage = static_cast<DWORD>(image.size());
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(info);
        file.bfSize = file.bfOffBits + info.biSizeImage;
        FILE* out = _wfopen(path.c_str(), L"wb");
        if (!out)
            return false;
        bool written = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
                       fwrite(image.data(), image.size(), 1, out) == 1;
        return fclose(out) == 0 && written;
    }

private:
    int m_width;
    int m_height;
    HBITMAP m_bitmap = nullptr;
    uint32_t* m_bits = nullptr;
    CDC m_dc;
    HGDIOBJ m_previous = nullptr;
};

// Screenshots go to control_screenshots\ in the working folder (the build tree).
inline std::wstring ScreenshotPath(const wchar_t* name)
{
    CreateDirectoryW(L"control_screenshots", nullptr);
    return std::wstring(L"control_screenshots\\") + name + L".bmp";
}

// Copies a window's pixels, frame and children included, as they are on the screen.
inline bool CaptureWindow(HWND window, const std::wstring& path)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    Canvas canvas(width, height, RGB(0, 0, 0));
    HDC source = GetWindowDC(window);
    BitBlt(canvas.hdc(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
    return canvas.SaveBmp(path);
}

// Puts the version code, the style settings and the theme answer back after a test changed them.
class StyleGuard {
public:
    StyleGuard()
        : m_version(KelvoMenu::s_windowsVersion),
          m_styleThemed(KelvoMenu::s_styleThemed),
          m_styleUnthemed(KelvoMenu::s_styleUnthemed),
          m_glyphRelief(KelvoMenu::s_glyphRelief)
    {
    }
    ~StyleGuard()
    {
        KelvoMenu::s_windowsVersion = m_version;
        KelvoMenu::s_styleThemed = m_styleThemed;
        KelvoMenu::s_styleUnthemed = m_styleUnthemed;
        KelvoMenu::s_glyphRelief = m_glyphRelief;
        KelvoMenu::ResetThemeCache();
    }
    StyleGuard(const StyleGuard&) = delete;
    StyleGuard& operator=(const StyleGuard&) = delete;

    // Version code 7 without the classic theme puts the flat style in force; 1 the classic style.
    static void UseFlat() { Use(7); }
    static void UseClassic() { Use(1); }
    static void Use(int version)
    {
        KelvoMenu::s_windowsVersion = version;
        KelvoMenu::ResetThemeCache();
    }

private:
    int m_version;
    int m_styleThemed;
    int m_styleUnthemed;
    BOOL m_glyphRelief;
};

// The font the system draws menus in, for measuring what the menu measured.
inline HFONT CreateMenuFont()
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return CreateFontIndirectW(&metrics.lfMenuFont);
}

// Pumps this thread's messages for a while.
inline void PumpMessages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace control_test
