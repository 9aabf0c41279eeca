#include "app/trashFailureText.h"

#include <cerrno>

#include "app/translate.h"

std::string trashFailureText(const TrashResult& failed) {
    // Whole sentences, each translated as one.
    switch (failed.homeTrashError) {
        case 0:
            // The home trash was not tried: the trash beside the library failed.
            return failed.error == EXDEV
                       ? translate("trashFailureText",
                                   "There is no trash on the disk that holds the library.")
                       : translate("trashFailureText",
                                   "The trash on the disk that holds the library can't take it.");
        case ENOSPC:
        case EDQUOT:
            return translate("trashFailureText",
                             "There is no trash on the disk that holds the library, and the home "
                             "trash has no room.");
        case EACCES:
        case EPERM:
        case EROFS:
            return translate("trashFailureText",
                             "There is no trash on the disk that holds the library, and the home "
                             "trash can't be written to.");
        default:
            return translate("trashFailureText",
                             "There is no trash on the disk that holds the library, and it could "
                             "not be copied into the home trash.");
    }
}
