#include "SystemMessage.h"

#include <locale.h>
#include <string.h>

#include <cwchar>
#include <string>

#include "Utf8.h"

namespace drvlaunch {

namespace {

// One locale object, freed with its owner.
class LocaleHandle {
public:
    explicit LocaleHandle(const char* name) : locale_(newlocale(LC_ALL_MASK, name, nullptr)) {}
    LocaleHandle(const LocaleHandle&) = delete;
    LocaleHandle& operator=(const LocaleHandle&) = delete;
    ~LocaleHandle() {
        if (locale_ != nullptr) {
            freelocale(locale_);
        }
    }
    locale_t get() const { return locale_; }

private:
    locale_t locale_;
};

// `text` is in the character set of `locale`: decode it with that locale's rules, for this
// thread only. Should the text not decode, it is taken as UTF-8.
std::wstring wideFromLocale(const std::string& text, locale_t locale) {
    const locale_t previous = uselocale(locale);
    std::wstring wide;
    std::mbstate_t state{};
    const char* at = text.c_str();
    const char* const end = at + text.size();
    bool decoded = true;
    while (at < end) {
        wchar_t c = 0;
        const std::size_t used = std::mbrtowc(&c, at, static_cast<std::size_t>(end - at), &state);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) ||
            used == 0) {
            decoded = false;
            break;
        }
        wide += c;
        at += used;
    }
    uselocale(previous);
    return decoded ? wide : wideFromSystem(text);
}

}  // namespace

std::optional<std::wstring> systemMessage(int code) {
    if (strerrorname_np(code) == nullptr) {
        return std::nullopt;
    }
    // strerror_l's text stays valid only until its locale is freed, so it is copied at once.
    const LocaleHandle user("");
    if (user.get() != nullptr) {
        return wideFromLocale(std::string(strerror_l(code, user.get())), user.get());
    }
    const LocaleHandle plain("C");
    if (plain.get() != nullptr) {
        return wideFromLocale(std::string(strerror_l(code, plain.get())), plain.get());
    }
    return wideFromSystem(strerrordesc_np(code));
}

}  // namespace drvlaunch
