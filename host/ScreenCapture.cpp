#include "host/ScreenCapture.h"

#include <windows.h>

#include <vector>

namespace {

// The device contexts and the bitmap of one capture, released in reverse order.
class ScreenCopy {
public:
    ScreenCopy(int width, int height)
        : Screen(GetDC(nullptr)),
          Memory(Screen ? CreateCompatibleDC(Screen) : nullptr),
          Bitmap(Screen ? CreateCompatibleBitmap(Screen, width, height) : nullptr)
    {
        if (Memory && Bitmap) Previous = SelectObject(Memory, Bitmap);
    }
    ~ScreenCopy()
    {
        if (Previous) SelectObject(Memory, Previous);
        if (Bitmap) DeleteObject(Bitmap);
        if (Memory) DeleteDC(Memory);
        if (Screen) ReleaseDC(nullptr, Screen);
    }
    ScreenCopy(const ScreenCopy&) = delete;
    ScreenCopy& operator=(const ScreenCopy&) = delete;

    HDC Screen;
    HDC Memory;
    HBITMAP Bitmap;
    HGDIOBJ Previous = nullptr;
};

}  // namespace

bool SaveScreenBitmap(const std::string& path, std::string& error)
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        error = "the screen has no size";
        return false;
    }
    ScreenCopy copy(width, height);
    if (!copy.Previous || !BitBlt(copy.Memory, 0, 0, width, height, copy.Screen, left, top, SRCCOPY | CAPTUREBLT)) {
        error = "cannot copy the screen";
        return false;
    }

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as BMP files store them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
    info.biSizeImage = imageBytes;
    std::vector<unsigned char> pixels(imageBytes);
    // GetDIBits wants the bitmap not selected into a device context.
    SelectObject(copy.Memory, copy.Previous);
    copy.Previous = nullptr;
    if (GetDIBits(copy.Screen, copy.Bitmap, 0, static_cast<UINT>(height), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != height) {
        error = "cannot read the copied screen";
        return false;
    }

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;

    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        error = "cannot create " + path;
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(out, &file, sizeof file, &written, nullptr) && written == sizeof file;
    ok = ok && WriteFile(out, &info, sizeof info, &written, nullptr) && written == sizeof info;
    ok = ok && WriteFile(out, pixels.data(), imageBytes, &written, nullptr) && written == imageBytes;
    ok = CloseHandle(out) && ok;
    if (!ok) {
        error = "cannot write " + path;
        DeleteFileA(path.c_str());
    }
    return ok;
}
