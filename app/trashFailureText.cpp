#include "app/trashFailureText.h"

#include <cerrno>

std::string trashFailureText(const TrashResult& failed) {
    const std::string noTrash = "There is no trash on the disk that holds the library";
    switch (failed.homeTrashError) {
        case 0:
            // The home trash was not tried: the trash beside the library failed.
            return failed.error == EXDEV ? noTrash + "."
                                         : "The trash on the disk that holds the library can't "
                                           "take it.";
        case ENOSPC:
        case EDQUOT:
            return noTrash + ", and the home trash has no room.";
        case EACCES:
        case EPERM:
        case EROFS:
            return noTrash + ", and the home trash can't be written to.";
        default:
            return noTrash + ", and it could not be copied into the home trash.";
    }
}
