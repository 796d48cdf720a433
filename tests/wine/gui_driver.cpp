// The GUI test driver: program starts with a private environment inside a job, window search, SendInput keys,
// characters and clicks, the clipboard, and screenshots encoded as PNG with WIC.
#include "gui_driver.h"

#include "image_files.h"
#include "wine_test_support.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

namespace GuiDriver {

namespace {

using WineTest::WaitUntil;

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towupper(x) == std::towupper(y);
           });
}

// The test's own environment with LOCALAPPDATA and APPDATA replaced, as a block for CreateProcessW.
std::wstring PrivateEnvironment(const std::wstring& local, const std::wstring& roaming) {
    std::wstring block;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
            const std::wstring text = entry;
            const std::wstring name = text.substr(0, text.find(L'=', 1));
            if (SameNameIgnoringCase(name, L"LOCALAPPDATA") || SameNameIgnoringCase(name, L"APPDATA"))
                continue;
            block += text;
            block += L'\0';
        }
        FreeEnvironmentStringsW(strings);
    }
    for (const std::wstring& entry : {L"LOCALAPPDATA=" + local, L"APPDATA=" + roaming}) {
        block += entry;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

// Keys that Windows reports with the extended flag (the navigation block, the right-hand modifiers): without
// it they would read as the keypad's keys.
bool IsExtendedKey(WORD key) {
    switch (key) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_DIVIDE:
        return true;
    default:
        return false;
    }
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

INPUT CharacterInput(wchar_t character, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = static_cast<WORD>(character);
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

void Send(std::vector<INPUT>& inputs) {
    if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool OpenTheClipboard() {
    return WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, 5000);
}

std::optional<std::wstring> ReadClipboardText() {
    if (!OpenTheClipboard()) return std::nullopt;
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* characters = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = std::wstring(characters);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::wstring ScreenshotFolder() {
    const std::wstring folder = WineTest::ProgramFolder() + L"\\..\\screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// PNG through the system's imaging component; false when it is not there or fails.
bool EncodePngWithWic(const std::wstring& path, int width, int height, const std::vector<uint8_t>& bgra) {
    const HRESULT comStarted = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool written = false;
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && format == GUID_WICPixelFormat32bppBGRA &&
        SUCCEEDED(frame->WritePixels(static_cast<UINT>(height), static_cast<UINT>(width) * 4,
                                     static_cast<UINT>(bgra.size()), const_cast<BYTE*>(bgra.data()))) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit())) {
        written = true;
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, factory})
        if (object != nullptr) object->Release();
    if (SUCCEEDED(comStarted)) CoUninitialize();
    return written;
}

} // namespace

Program::Program(const std::wstring& programPath, const std::wstring& arguments, const std::wstring& home)
    : home_(home) {
    CreateDirectoryW(home.c_str(), nullptr);
    CreateDirectoryW(LocalAppData().c_str(), nullptr);
    CreateDirectoryW(RoamingAppData().c_str(), nullptr);
    std::wstring environment = PrivateEnvironment(LocalAppData(), RoamingAppData());
    std::wstring commandLine = L"\"" + programPath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    // In a job that ends with its handle, so nothing the program started outlives the test.
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_ != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment.data(), home.c_str(),
                        &startup, &process_)) {
        process_ = {};
        return;
    }
    if (job_ != nullptr) AssignProcessToJobObject(job_, process_.hProcess);
    ResumeThread(process_.hThread);
}

Program::~Program() {
    if (process_.hProcess != nullptr) {
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
            if (job_ != nullptr) TerminateJobObject(job_, 1);
            TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    if (job_ != nullptr) CloseHandle(job_);
}

std::vector<TopWindow> Program::Windows() const {
    struct Search {
        DWORD processId;
        std::vector<TopWindow> found;
    } search{process_.dwProcessId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
            wchar_t caption[512] = {};
            GetWindowTextW(window, caption, 512);
            s->found.push_back({window, caption});
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Program::WaitForWindow(const std::wstring& caption) const {
    HWND found = nullptr;
    WaitUntil([&] {
        for (const TopWindow& window : Windows()) {
            if (window.caption == caption) {
                found = window.handle;
                return true;
            }
        }
        return false;
    });
    return found;
}

bool Program::WaitForWindowGone(const std::wstring& caption) const {
    return WaitUntil([&] {
        for (const TopWindow& window : Windows())
            if (window.caption == caption) return false;
        return true;
    });
}

std::optional<DWORD> Program::WaitForExit(int timeoutMs) const {
    if (process_.hProcess == nullptr ||
        WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND WaitForWindowOfAnyProgram(const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil([&] {
        found = nullptr;
        for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, caption.c_str()); window != nullptr;
             window = FindWindowExW(nullptr, window, nullptr, caption.c_str()))
            if (IsWindowVisible(window)) found = window;
        return found != nullptr;
    });
    return found;
}

std::wstring LinkProgramInto(const std::wstring& folder, const std::wstring& name) {
    const std::wstring original = WineTest::ProgramFolder() + L"\\" + name;
    const std::wstring link = folder + L"\\" + name;
    if (!CreateHardLinkW(link.c_str(), original.c_str(), nullptr))
        CopyFileW(original.c_str(), link.c_str(), FALSE);
    return link;
}

void Program::Kill() const {
    if (process_.hProcess == nullptr) return;
    TerminateProcess(process_.hProcess, 9);
    WaitForSingleObject(process_.hProcess, static_cast<DWORD>(WineTest::kPatienceMs));
}

bool BringToFront(HWND window) {
    const bool front = WaitUntil([window] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return false;
    });
    WineTest::LetTheDesktopSettle();
    return front;
}

void TypeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (const wchar_t character : text) {
        if (character == L'\n') {
            inputs.push_back(KeyInput(VK_RETURN, false));
            inputs.push_back(KeyInput(VK_RETURN, true));
        } else {
            inputs.push_back(CharacterInput(character, false));
            inputs.push_back(CharacterInput(character, true));
        }
    }
    Send(inputs);
}

void TypeText(const std::string& utf8) {
    TypeText(FromUtf8(utf8));
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (const WORD key : keys) inputs.push_back(KeyInput(key, false));
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) inputs.push_back(KeyInput(*key, true));
    Send(inputs);
}

void PressKey(WORD key) {
    PressKeys({key});
}

// The active keyboard layout turns the scan code into its virtual key (MapVirtualKeyEx), as Windows does for
// a key event given by scan code; Wine 8 sends such an event with no virtual key at all, so the key is sent
// with the layout's answer.
void PressScanCode(WORD scanCode) {
    const UINT withPrefix = (scanCode >> 8) == 0xE0 ? 0xE000u | (scanCode & 0xFFu) : scanCode & 0xFFu;
    const WORD virtualKey =
        static_cast<WORD>(MapVirtualKeyExW(withPrefix, MAPVK_VSC_TO_VK_EX, GetKeyboardLayout(0)));
    std::vector<INPUT> inputs;
    for (const bool up : {false, true}) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.wScan = static_cast<WORD>(scanCode & 0xFF);
        input.ki.dwFlags = ((scanCode >> 8) == 0xE0 ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
        inputs.push_back(input);
    }
    Send(inputs);
}

void ClickInWindow(HWND window, int x, int y) {
    RECT client{};
    GetClientRect(window, &client);
    POINT point{x < 0 ? client.right + x : x, y < 0 ? client.bottom + y : y};
    ClientToScreen(window, &point);
    // The pointer is moved by an input event too, not only placed: under Wine a pointer placed with
    // SetCursorPos after a click can fall back to where the X pointer was.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = static_cast<LONG>((point.x * 65535LL + width / 2) / std::max(1, width - 1));
    move.mi.dy = static_cast<LONG>((point.y * 65535LL + height / 2) / std::max(1, height - 1));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    POINT where{};
    WaitUntil(
        [&] {
            if (GetCursorPos(&where) && where.x == point.x && where.y == point.y) return true;
            SetCursorPos(point.x, point.y);
            SendInput(1, &move, sizeof move);
            return false;
        },
        3000);
    WineTest::LetTheDesktopSettle();
    std::vector<INPUT> inputs(3);
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE; // no motion: the button events follow the pointer's place
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send(inputs);
}

std::optional<std::string> CopyWith(const std::function<void()>& keys, int timeoutMs) {
    if (!OpenTheClipboard()) return std::nullopt;
    EmptyClipboard();
    CloseClipboard();
    keys();
    if (!WaitUntil([] { return IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE; }, timeoutMs))
        return std::nullopt;
    const std::optional<std::wstring> text = ReadClipboardText();
    if (!text) return std::nullopt;
    std::string result;
    for (const char c : ToUtf8(*text))
        if (c != '\r') result += c;
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

namespace {

// A part of the screen, rows top first, 4 bytes a pixel (blue, green, red, unused).
struct ScreenArea {
    RECT rect{};
    std::vector<uint8_t> bgra;
    COLORREF At(int x, int y) const {
        const uint8_t* p = &bgra[(static_cast<size_t>(y) * (rect.right - rect.left) + x) * 4];
        return RGB(p[2], p[1], p[0]);
    }
};

ScreenArea Capture(const RECT& rect) {
    ScreenArea area{rect, {}};
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return area;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    if (HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        SelectObject(memory, old);
        GdiFlush();
        const auto* pixels = static_cast<const uint8_t*>(bits);
        area.bgra.assign(pixels, pixels + static_cast<size_t>(width) * height * 4);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return area;
}

// A window that has just been shown is on the screen only once the desktop has drawn its caption bar (in
// one of the caption colours) and the program its client area (no longer the black of a new window).
bool LooksPainted(HWND window) {
    RECT outer{};
    RECT client{};
    if (!GetWindowRect(window, &outer) || !GetClientRect(window, &client)) return false;
    const ScreenArea area = Capture(outer);
    if (area.bgra.empty()) return false;
    const int width = outer.right - outer.left;
    const int captionRow = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    const COLORREF captionColours[] = {GetSysColor(COLOR_ACTIVECAPTION), GetSysColor(COLOR_INACTIVECAPTION),
                                       GetSysColor(COLOR_GRADIENTACTIVECAPTION),
                                       GetSysColor(COLOR_GRADIENTINACTIVECAPTION)};
    int captionPixels = 0;
    for (int x = 0; x < width && captionRow < outer.bottom - outer.top; ++x) {
        const COLORREF colour = area.At(x, captionRow);
        if (std::find(std::begin(captionColours), std::end(captionColours), colour) !=
            std::end(captionColours))
            ++captionPixels;
    }
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    int black = 0;
    int samples = 0;
    for (int y = origin.y; y < origin.y + client.bottom; y += 4) {
        for (int x = origin.x; x < origin.x + client.right; x += 4) {
            if (x < outer.left || x >= outer.right || y < outer.top || y >= outer.bottom) continue;
            ++samples;
            if (area.At(x - outer.left, y - outer.top) == RGB(0, 0, 0)) ++black;
        }
    }
    return captionPixels >= 10 && samples > 0 && black * 2 < samples;
}

} // namespace

bool SaveScreenshot(const std::wstring& name, const std::vector<HWND>& windows) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT area{screenWidth, screenHeight, 0, 0};
    for (HWND window : windows) {
        RECT r{};
        if (!GetWindowRect(window, &r)) continue;
        area = {std::min(area.left, r.left), std::min(area.top, r.top), std::max(area.right, r.right),
                std::max(area.bottom, r.bottom)};
        WaitUntil([window] { return LooksPainted(window); });
    }
    if (area.right <= area.left) area = {0, 0, screenWidth, screenHeight};
    constexpr int kMargin = 8;
    area = {std::max(0L, area.left - kMargin), std::max(0L, area.top - kMargin),
            std::min<LONG>(screenWidth, area.right + kMargin),
            std::min<LONG>(screenHeight, area.bottom + kMargin)};
    // The picture is taken once two captures a moment apart agree (a blinking caret may keep them from it).
    ScreenArea shot = Capture(area);
    WaitUntil(
        [&] {
            Sleep(150);
            ScreenArea next = Capture(area);
            const bool same = next.bgra == shot.bgra;
            shot = std::move(next);
            return same;
        },
        2000);
    if (shot.bgra.empty()) return false;
    for (size_t i = 3; i < shot.bgra.size(); i += 4) shot.bgra[i] = 0xFF; // opaque

    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const std::wstring path = ScreenshotFolder() + L"\\" + name + L".png";
    DeleteFileW(path.c_str());
    if (EncodePngWithWic(path, width, height, shot.bgra)) return true;
    // Without the imaging component: an uncompressed PNG of our own.
    WineTest::WriteBytes(path, ImageFiles::Png(width, height, shot.bgra));
    return FileExists(path);
}

std::optional<std::string> FileBytes(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ToCp932WithCrLf(const std::string& utf8) {
    std::wstring text;
    for (const wchar_t c : FromUtf8(utf8)) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    const int n =
        WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                        nullptr);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::string ToUtf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string bytes(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr,
                        nullptr);
    return bytes;
}

} // namespace GuiDriver
