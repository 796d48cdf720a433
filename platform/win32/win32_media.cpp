// MCI command strings through winmm. Two commands are rewritten: "play … wait", whose wait happens here,
// polling the device's mode, because MCI's own wait would block the thread until the sound ends; and "open"
// of a file whose name has characters outside ASCII, which gets the file's short name, because MCI drivers
// open their files through ANSI paths (Wine's wave driver always does) and would not find it otherwise.
#include "win32_media.h"

#include "win32_text.h"

#include <windows.h>
#include <mmsystem.h>

#include <cwctype>
#include <vector>

namespace {

constexpr DWORD kPollIntervalMs = 10;

// One word of a command text and where it stands; quoted words keep their quotes.
struct Word {
    size_t start;
    size_t length;
};

std::vector<Word> SplitWords(const std::u16string& text) {
    std::vector<Word> words;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u' ' || text[i] == u'\t') {
            ++i;
            continue;
        }
        const size_t start = i;
        if (text[i] == u'"') {
            const size_t close = text.find(u'"', i + 1);
            i = close == std::u16string::npos ? text.size() : close + 1;
        } else {
            while (i < text.size() && text[i] != u' ' && text[i] != u'\t') ++i;
        }
        words.push_back({start, i - start});
    }
    return words;
}

bool WordIs(const std::u16string& text, const Word& word, std::u16string_view expected) {
    if (word.length != expected.size()) return false;
    for (size_t k = 0; k < word.length; ++k)
        if (std::towlower(static_cast<wint_t>(text[word.start + k])) != static_cast<wint_t>(expected[k]))
            return false;
    return true;
}

int32_t SendText(const std::u16string& command, std::u16string* answer = nullptr) {
    wchar_t wideAnswer[128] = {};
    char ansiAnswer[128] = {};
    MCIERROR error = 0;
    if (const std::optional<std::string> ansi = ToAnsiExactly(command)) {
        error = mciSendStringA(ansi->c_str(), answer ? ansiAnswer : nullptr, answer ? sizeof ansiAnswer : 0,
                               nullptr);
        if (answer) {
            const int n = MultiByteToWideChar(CP_ACP, 0, ansiAnswer, -1, wideAnswer, 128);
            if (n <= 0) wideAnswer[0] = L'\0';
        }
    } else {
        const std::wstring wide = ToWide(command);
        error = mciSendStringW(wide.c_str(), answer ? wideAnswer : nullptr, answer ? 128 : 0, nullptr);
    }
    if (answer) *answer = FromWide(wideAnswer);
    return static_cast<int32_t>(error);
}

// Plays without MCI's wait and waits here: until the device is no longer playing, or until waitTurn says the
// run was stopped, which stops the sound.
int32_t PlayAndWait(const std::u16string& withoutWait, const std::u16string& device,
                    const DesktopPlatform::WaitTurn& waitTurn) {
    const int32_t error = SendText(withoutWait);
    if (error != 0) return error;
    for (;;) {
        if (!waitTurn()) {
            SendText(u"stop " + device);
            return 0;
        }
        std::u16string mode;
        if (SendText(u"status " + device + u" mode", &mode) != 0 || mode != u"playing") return 0;
        Sleep(kPollIntervalMs);
    }
}

// The short (8.3) form of a path when it is plain ASCII and the long one is not; otherwise the path itself.
std::u16string AsciiFormOf(const std::u16string& path) {
    bool ascii = true;
    for (char16_t c : path) ascii = ascii && c < 0x80;
    if (ascii) return path;
    const std::wstring wide = ToWide(path);
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring shortPath(size, L'\0');
    const DWORD n = GetShortPathNameW(wide.c_str(), shortPath.data(), size);
    if (n == 0 || n >= size) return path;
    shortPath.resize(n);
    for (wchar_t c : shortPath)
        if (c >= 0x80) return path;
    return FromWide(shortPath);
}

// "open "file" …" with the file's ASCII form; any other command unchanged.
std::u16string WithAsciiFileName(const std::u16string& command, const std::vector<Word>& words) {
    if (words.size() < 2 || !WordIs(command, words[0], u"open")) return command;
    const Word& file = words[1];
    if (file.length < 2 || command[file.start] != u'"' || command[file.start + file.length - 1] != u'"')
        return command;
    const std::u16string path = command.substr(file.start + 1, file.length - 2);
    const std::u16string ascii = AsciiFormOf(path);
    if (ascii == path) return command;
    std::u16string rewritten = command;
    rewritten.replace(file.start + 1, file.length - 2, ascii);
    return rewritten;
}

} // namespace

namespace Win32Media {

int32_t Send(const std::u16string& command, const DesktopPlatform::WaitTurn& waitTurn) {
    const std::vector<Word> words = SplitWords(command);
    if (waitTurn && words.size() >= 2 && WordIs(command, words[0], u"play")) {
        for (size_t k = 2; k < words.size(); ++k) {
            if (!WordIs(command, words[k], u"wait")) continue;
            std::u16string withoutWait = command;
            withoutWait.erase(words[k].start, words[k].length);
            const std::u16string device = command.substr(words[1].start, words[1].length);
            return PlayAndWait(withoutWait, device, waitTurn);
        }
    }
    return SendText(WithAsciiFileName(command, words));
}

} // namespace Win32Media
