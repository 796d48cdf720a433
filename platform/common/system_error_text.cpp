// The Japanese texts of errno values on Linux: the table's text, else the system's own text in the user's
// language, and the way back from a system text (as Qt's file classes report it) to the table's text.
#include "system_error_texts.h"

#include "codepage.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>

namespace {

// The user's locale when its texts are UTF-8, else the C locale (English texts): the only texts that can be
// shown without knowing their encoding. Made once; locales live as long as the program.
locale_t UserTextLocale() {
    static const locale_t user = [] {
        locale_t candidate = newlocale(LC_ALL_MASK, "", nullptr);
        if (candidate != nullptr && std::strcmp(nl_langinfo_l(CODESET, candidate), "UTF-8") == 0)
            return candidate;
        if (candidate != nullptr) freelocale(candidate);
        return newlocale(LC_ALL_MASK, "C", nullptr);
    }();
    return user;
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

std::u16string SystemText(int error, locale_t locale) {
    const char* text = locale != nullptr ? strerror_l(error, locale) : std::strerror(error);
    return FromUtf8(text != nullptr ? text : "");
}

} // namespace

std::u16string ErrnoText(int error) {
    const std::u16string_view own = TableErrorText(ErrnoTexts(), static_cast<unsigned long>(error));
    if (!own.empty()) return std::u16string(own);
    return SystemText(error, UserTextLocale());
}

// Qt gives some errors in fixed English, translated or not, and the others as the system's text in the
// program's locale: all are compared.
std::u16string JapaneseSystemErrorText(const std::u16string& systemText,
                                       const SystemTextTranslation& translation) {
    for (const SystemErrorEntry& entry : ErrnoTexts()) {
        const int error = static_cast<int>(entry.number);
        const std::u16string english = SystemText(error, CLocale());
        if (systemText == english || systemText == SystemText(error, UserTextLocale()) ||
            systemText == SystemText(error, nullptr) || (translation && systemText == translation(english)))
            return std::u16string(entry.text);
    }
    return systemText;
}
