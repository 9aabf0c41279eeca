#include "app/errorInWords.h"

#include <clocale>
#include <cstring>
#include <locale.h>

std::string errorInWords(int error) {
    // The C library's own translations of its messages, for the language the
    // environment names (LC_ALL, LC_MESSAGES, LANG); "C" when none is usable.
    static const locale_t user = [] {
        const locale_t wanted = newlocale(LC_MESSAGES_MASK, "", locale_t{});
        return wanted ? wanted : newlocale(LC_MESSAGES_MASK, "C", locale_t{});
    }();
    return strerror_l(error, user);
}
