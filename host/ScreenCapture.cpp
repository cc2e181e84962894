#include "host/ScreenCapture.h"

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "host/PngWriter.h"

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

// Writes the parts one after another into a new file; a file that could not
// be written whole is removed.
bool WriteParts(const std::string& path, std::initializer_list<std::pair<const void*, DWORD>> parts,
                std::string& error)
{
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        error = "cannot create " + path;
        return false;
    }
    bool ok = true;
    for (const auto& part : parts) {
        DWORD written = 0;
        ok = ok && WriteFile(out, part.first, part.second, &written, nullptr) && written == part.second;
    }
    ok = CloseHandle(out) && ok;
    if (!ok) {
        error = "cannot write " + path;
        DeleteFileA(path.c_str());
    }
    return ok;
}

bool EndsWithPng(const std::string& path)
{
    return path.size() >= 4 && lstrcmpiA(path.c_str() + path.size() - 4, ".png") == 0;
}

// The captured rows are bottom-up blue-green-red; a PNG wants top-down
// red-green-blue.
bool WritePng(const std::string& path, const std::vector<unsigned char>& pixels, int width, int height,
              DWORD rowBytes, std::string& error)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = pixels.data() + static_cast<size_t>(height - 1 - y) * rowBytes;
        uint8_t* target = rgb.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 3;
        for (int x = 0; x < width; ++x) {
            target[x * 3] = source[x * 3 + 2];
            target[x * 3 + 1] = source[x * 3 + 1];
            target[x * 3 + 2] = source[x * 3];
        }
    }
    const std::string png = EncodePng(rgb, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    return WriteParts(path, {{png.data(), static_cast<DWORD>(png.size())}}, error);
}

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

    if (EndsWithPng(path))
        return WritePng(path, pixels, width, height, rowBytes, error);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;

    return WriteParts(path, {{&file, sizeof file}, {&info, sizeof info}, {pixels.data(), imageBytes}}, error);
}
