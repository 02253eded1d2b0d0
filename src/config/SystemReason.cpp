#include "config/SystemReason.h"

#include "config/MessageTable.h"

#include <cerrno>
#include <cstring>

QString SystemReason::text(int error)
{
    switch (error) {
    case 0:
        return MessageTable::text(Msg::ReasonChanged);
    case EACCES:
    case EPERM:
        return MessageTable::text(Msg::ReasonAccessDenied);
    case ENOENT:
    case ENOTDIR:
        return MessageTable::text(Msg::ReasonNotFound);
    case EEXIST:
        return MessageTable::text(Msg::ReasonExists);
    case EROFS:
        return MessageTable::text(Msg::ReasonReadOnly);
    case EIO:
        return MessageTable::text(Msg::ReasonInputOutput);
    case ELOOP:
        return MessageTable::text(Msg::ReasonLinkLoop);
    case ENAMETOOLONG:
        return MessageTable::text(Msg::ReasonNameTooLong);
    case EMFILE:
    case ENFILE:
        return MessageTable::text(Msg::ReasonTooManyOpen);
    case ENOMEM:
        return MessageTable::text(Msg::ReasonOutOfMemory);
    case ENOSPC:
        return MessageTable::text(Msg::ReasonNoSpace);
    case EFBIG:
        return MessageTable::text(Msg::ReasonFileTooLarge);
    case EDQUOT:
        return MessageTable::text(Msg::ReasonQuotaExceeded);
    default:
        break;
    }
    // The error's symbolic name reads the same in every language; its number where the system has none.
    const char *name = ::strerrorname_np(error);
    return MessageTable::fill(MessageTable::text(Msg::ReasonSystemError),
                              {name ? QString::fromLatin1(name) : QString::number(error)});
}

QString SystemReason::unreadableSource(const QString &path, int error)
{
    return MessageTable::fill(MessageTable::text(Msg::MissingUnreadable), {path, text(error)});
}
