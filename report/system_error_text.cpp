// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/system_error_text.h"

#include <cerrno>

namespace korvel {

std::string SystemErrorText(int error) {
    switch (error) {
        case ENOSPC:
            return "на диске нет свободного места";
#ifdef EDQUOT
        case EDQUOT:
            return "превышена дисковая квота";
#endif
        case EFBIG:
            return "файл слишком велик";
        case EROFS:
            return "диск доступен только для чтения";
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case ENOENT:
            return "нет такого файла или папки";
        case ENOTDIR:
            return "часть пути - не папка";
        case EISDIR:
            return "под этим именем папка";
        case EIO:
            return "ошибка ввода-вывода";
        default:
            return "системная ошибка " + std::to_string(error);
    }
}

}  // namespace korvel
