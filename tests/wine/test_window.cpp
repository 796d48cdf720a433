// qm_test_window.exe: a target window for the Windows desktop tests. It paints a known picture (a flat
// background, a red block and a colour pattern) and appends every key and button message it receives to a
// log file, so a test can see exactly what reached it. It also writes its pattern as LOGFILE.bmp, for image
// searches. With "popup" it has no frame, so its client area starts at its window position.
// Usage: qm_test_window.exe TITLE LOGFILE [popup]
#include "image_files.h"
#include "test_window_picture.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::wstring logPath;

void Log(const char* format, unsigned a, long b, long c) {
    FILE* file = _wfopen(logPath.c_str(), L"a");
    if (file == nullptr) return;
    std::fprintf(file, format, a, b, c);
    std::fputc('\n', file);
    std::fclose(file);
}

void LogText(const char* text) {
    FILE* file = _wfopen(logPath.c_str(), L"a");
    if (file == nullptr) return;
    std::fputs(text, file);
    std::fputc('\n', file);
    std::fclose(file);
}

void PaintPicture(HDC context) {
    RECT client{0, 0, 4000, 4000};
    HBRUSH background = CreateSolidBrush(TestPicture::kBackground);
    FillRect(context, &client, background);
    DeleteObject(background);
    RECT block{TestPicture::kBlockX, TestPicture::kBlockY, TestPicture::kBlockX + TestPicture::kBlockSize,
               TestPicture::kBlockY + TestPicture::kBlockSize};
    HBRUSH red = CreateSolidBrush(TestPicture::kBlockColour);
    FillRect(context, &block, red);
    DeleteObject(red);

    const std::vector<uint8_t> pixels = TestPicture::PatternBgra();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = TestPicture::kPatternWidth;
    info.bmiHeader.biHeight = -TestPicture::kPatternHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(context, TestPicture::kPatternX, TestPicture::kPatternY, TestPicture::kPatternWidth,
                      TestPicture::kPatternHeight, 0, 0, 0, TestPicture::kPatternHeight, pixels.data(), &info,
                      DIB_RGB_COLORS);
}

void LogButton(const char* which, LPARAM position) {
    std::string format = std::string("mouse ") + which + " %u %ld %ld";
    Log(format.c_str(), 0, static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position)));
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
        Log("key down %u %ld", static_cast<unsigned>(wParam), static_cast<long>(GetMessageExtraInfo()), 0);
        return 0;
    case WM_KEYUP:
        Log("key up %u %ld", static_cast<unsigned>(wParam), static_cast<long>(GetMessageExtraInfo()), 0);
        return 0;
    case WM_LBUTTONDOWN:
        LogButton("left-down", lParam);
        return 0;
    case WM_LBUTTONUP:
        LogButton("left-up", lParam);
        return 0;
    case WM_RBUTTONDOWN:
        LogButton("right-down", lParam);
        return 0;
    case WM_RBUTTONUP:
        LogButton("right-up", lParam);
        return 0;
    case WM_MBUTTONDOWN:
        LogButton("middle-down", lParam);
        return 0;
    case WM_MBUTTONUP:
        LogButton("middle-up", lParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC context = BeginPaint(window, &paint);
        PaintPicture(context);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 3) return 2;
    const std::wstring title = arguments[1];
    logPath = arguments[2];
    const bool popup = count > 3 && std::wstring(arguments[3]) == L"popup";
    LocalFree(arguments);
    const std::string pattern = ImageFiles::Bmp24(TestPicture::kPatternWidth, TestPicture::kPatternHeight,
                                                  TestPicture::PatternBgra());
    if (FILE* file = _wfopen((logPath + L".bmp").c_str(), L"wb")) {
        std::fwrite(pattern.data(), 1, pattern.size(), file);
        std::fclose(file);
    }

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = TestPicture::kClassName;
    if (!RegisterClassW(&windowClass)) return 3;
    HWND window =
        CreateWindowExW(0, TestPicture::kClassName, title.c_str(), popup ? WS_POPUP : WS_OVERLAPPEDWINDOW,
                        TestPicture::kStartX, TestPicture::kStartY, TestPicture::kStartWidth,
                        TestPicture::kStartHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 4;
    // The style the starting program asked for (SHELL's window styles arrive here).
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    LogText("ready");

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
