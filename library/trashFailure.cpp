#include "library/trashFailure.h"

#include <cstring>

std::string trashErrorText(const TrashResult& failure) {
    std::string text = std::strerror(failure.error);
    if (failure.homeTrashError)
        text += std::string("; home trash: ") + std::strerror(failure.homeTrashError);
    return text;
}
