#include "WindowCapture.h"

#if defined(_WIN32)
#include "host/imagefiles/Png.h"

#include <vector>

namespace {

bool CaptureScreenRect(const RECT& rect, const std::string& strPath, std::string& strError)
{
    const int nWidth = rect.right - rect.left, nHeight = rect.bottom - rect.top;
    if (nWidth <= 0 || nHeight <= 0) {
        strError = "empty window";
        return false;
    }
    HDC hScreen = GetDC(nullptr);
    HDC hMemory = CreateCompatibleDC(hScreen);
    HBITMAP hBitmap = CreateCompatibleBitmap(hScreen, nWidth, nHeight);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    BitBlt(hMemory, 0, 0, nWidth, nHeight, hScreen, rect.left, rect.top, SRCCOPY);
    SelectObject(hMemory, hOld);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = nWidth;
    info.bmiHeader.biHeight = -nHeight; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> bgra(std::size_t(nWidth) * nHeight * 4);
    const int nRows = GetDIBits(hMemory, hBitmap, 0, UINT(nHeight), bgra.data(), &info, DIB_RGB_COLORS);
    DeleteObject(hBitmap);
    DeleteDC(hMemory);
    ReleaseDC(nullptr, hScreen);
    if (nRows != nHeight) {
        strError = "cannot read the screen";
        return false;
    }

    pfPngImage png;
    png.nWidth = nWidth;
    png.nHeight = nHeight;
    png.nChannels = 3;
    png.samples.resize(std::size_t(nWidth) * nHeight * 3);
    for (std::size_t i = 0; i < std::size_t(nWidth) * nHeight; ++i) {
        png.samples[i * 3] = bgra[i * 4 + 2];
        png.samples[i * 3 + 1] = bgra[i * 4 + 1];
        png.samples[i * 3 + 2] = bgra[i * 4];
    }
    return WritePng(strPath, png, strError);
}

} // namespace

bool CaptureWindow(HWND hWnd, const std::string& strPath, std::string& strError)
{
    RECT rect{};
    GetWindowRect(hWnd, &rect);
    return CaptureScreenRect(rect, strPath, strError);
}

bool CaptureClientArea(HWND hWnd, const std::string& strPath, std::string& strError)
{
    RECT rect{};
    GetClientRect(hWnd, &rect);
    MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return CaptureScreenRect(rect, strPath, strError);
}
#endif
