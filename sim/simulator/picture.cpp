#include "picture.h"

#include <cstdio>
#include <vector>

namespace simulator {
namespace {

constexpr int kWidth = 640, kHeight = 150;
constexpr COLORREF kBarColour = RGB(236, 233, 216), kMenuColour = RGB(252, 252, 249), kText = RGB(0, 0, 0);

struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    BYTE* bits = nullptr;  // bottom-up, 24-bit, rows padded to 4 bytes
    int stride = ((kWidth * 3 + 3) / 4) * 4;

    void Pixel(int x, int y, COLORREF colour) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
        BYTE* p = bits + (kHeight - 1 - y) * stride + x * 3;
        p[0] = GetBValue(colour);
        p[1] = GetGValue(colour);
        p[2] = GetRValue(colour);
    }
    void Fill(int x, int y, int w, int h, COLORREF colour) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) Pixel(i, j, colour);
    }
    void Text(int x, int y, const std::wstring& text) {
        GdiFlush();
        RECT area{x, y, kWidth, y + 20};
        std::wstring shown;
        for (wchar_t c : text)
            if (c != L'&') shown += c;
        DrawTextW(dc, shown.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        GdiFlush();
    }
    int TextWidth(const std::wstring& text) {
        std::wstring shown;
        for (wchar_t c : text)
            if (c != L'&') shown += c;
        SIZE size{};
        GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
        return size.cx;
    }
    // A face as the host draws it: the picture where the mask is black.
    void Face(int x, int y, HBITMAP picture, HBITMAP mask) {
        if (!picture) return;
        auto pixels = [&](HBITMAP source, std::vector<COLORREF>& out) {
            BITMAPINFO info{};
            info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB};
            std::vector<DWORD> raw(256);
            if (!GetDIBits(dc, source, 0, 16, raw.data(), &info, DIB_RGB_COLORS)) return false;
            out.resize(256);
            for (int i = 0; i < 256; ++i) out[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
            return true;
        };
        std::vector<COLORREF> face, cover;
        if (!pixels(picture, face)) return;
        bool masked = mask && pixels(mask, cover);
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 16; ++i)
                if (!masked || cover[j * 16 + i] == RGB(0, 0, 0)) Pixel(x + i, y + j, face[j * 16 + i]);
    }
};

}  // namespace

bool SavePicture(const sim::SimCommandBars& bars, const std::wstring& toolbarName, const std::wstring& menuCaption,
                 const std::wstring& file) {
    Canvas canvas;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB};
    canvas.dc = CreateCompatibleDC(nullptr);
    canvas.bitmap = CreateDIBSection(canvas.dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&canvas.bits), nullptr, 0);
    if (!canvas.dc || !canvas.bitmap) {
        if (canvas.dc) DeleteDC(canvas.dc);
        return false;
    }
    HGDIOBJ oldBitmap = SelectObject(canvas.dc, canvas.bitmap);
    HGDIOBJ oldFont = SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, kText);
    canvas.Fill(0, 0, kWidth, kHeight, RGB(171, 171, 171));

    // The menu bar with the add-in's popup opened below its caption.
    canvas.Fill(0, 0, kWidth, 22, kBarColour);
    int x = 6, menuX = -1;
    const sim::SimControl* popup = nullptr;
    for (const auto& control : bars.MenuBar()->Controls()->Items()) {
        canvas.Text(x, 4, control->caption);
        if (control->caption == menuCaption) {
            menuX = x;
            popup = control.Get();
        }
        x += canvas.TextWidth(control->caption) + 12;
    }
    // The add-in's toolbar: a grip, then each button's face.
    if (const sim::SimCommandBar* toolbar = bars.Find(toolbarName)) {
        canvas.Fill(0, 24, 8 + 24 * static_cast<int>(toolbar->Controls()->Items().size()) + 6, 26, kBarColour);
        canvas.Fill(3, 27, 2, 20, RGB(128, 128, 128));
        int bx = 10;
        for (const auto& button : toolbar->Controls()->Items()) {
            canvas.Face(bx + 4, 29, button->picture, button->mask);
            bx += 24;
        }
    }
    if (popup && popup->Children()) {
        const auto& items = popup->Children()->Items();
        int top = 22, height = 24 * static_cast<int>(items.size()) + 4;
        canvas.Fill(menuX - 2, top, 230, height, RGB(128, 128, 128));
        canvas.Fill(menuX - 1, top + 1, 228, height - 2, kMenuColour);
        int y = top + 4;
        for (const auto& item : items) {
            canvas.Face(menuX + 4, y + 2, item->picture, item->mask);
            canvas.Text(menuX + 28, y + 3, item->caption);
            y += 24;
        }
    }
    GdiFlush();

    BITMAPFILEHEADER header{};
    DWORD imageBytes = static_cast<DWORD>(canvas.stride * kHeight);
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = header.bfOffBits + imageBytes;
    bool written = false;
    if (FILE* out = _wfopen(file.c_str(), L"wb")) {
        written = std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                  std::fwrite(&info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, out) == 1 &&
                  std::fwrite(canvas.bits, 1, imageBytes, out) == imageBytes;
        written = std::fclose(out) == 0 && written;
    }
    SelectObject(canvas.dc, oldFont);
    SelectObject(canvas.dc, oldBitmap);
    DeleteObject(canvas.bitmap);
    DeleteDC(canvas.dc);
    return written;
}

}  // namespace simulator
