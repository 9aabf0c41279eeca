#pragma once

// libarchive reads and writes names in the charset of the thread's locale, so
// in the "C" locale every name beyond ASCII would be lost. While one of these
// lives, the thread uses C.UTF-8, whatever locale the process has.

#include <locale.h>

class Utf8Locale {
public:
    Utf8Locale() : utf8_(newlocale(LC_ALL_MASK, "C.UTF-8", locale_t{})) {
        if (utf8_) previous_ = uselocale(utf8_);
    }
    ~Utf8Locale() {
        if (!utf8_) return;
        uselocale(previous_);
        freelocale(utf8_);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    locale_t utf8_;
    locale_t previous_{};
};
