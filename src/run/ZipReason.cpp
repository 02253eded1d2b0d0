#include "run/ZipReason.h"

#include "config/MessageTable.h"
#include "config/SystemReason.h"
#include "run/EntryName.h"
#include "zip/TZipFault.h"

namespace {

using TCode = TZipFault::TCode;

// The message of a code; 0 for the codes worded otherwise.
quint16 messageOf(TCode code)
{
    switch (code) {
    case TCode::NoEndRecord:
        return Msg::ZipNoEndRecord;
    case TCode::DamagedDirectory:
        return Msg::ZipDamagedDirectory;
    case TCode::DamagedZip64:
        return Msg::ZipDamagedZip64;
    case TCode::OverlappingEntries:
        return Msg::ZipOverlappingEntries;
    case TCode::DamagedLocalHeader:
        return Msg::ZipDamagedLocalHeader;
    case TCode::LocalHeaderDiffers:
        return Msg::ZipLocalHeaderDiffers;
    case TCode::LocalNameDiffers:
        return Msg::ZipLocalNameDiffers;
    case TCode::UnknownVersion:
        return Msg::ZipUnknownVersion;
    case TCode::InvalidExtraField:
        return Msg::ZipInvalidExtraField;
    case TCode::CrcMismatch:
        return Msg::ZipCrcMismatch;
    case TCode::SizeMismatch:
        return Msg::ZipSizeMismatch;
    case TCode::DataEndsEarly:
        return Msg::ZipDataEndsEarly;
    case TCode::DataDamaged:
        return Msg::ZipDataDamaged;
    case TCode::NamelessWithData:
        return Msg::ZipNamelessWithData;
    case TCode::EncryptedUnsupported:
        return Msg::ZipEncryptedUnsupported;
    case TCode::EncryptedUnchecked:
        return Msg::ZipEncryptedUnchecked;
    case TCode::MethodUnsupported:
        return Msg::ZipMethodUnsupported;
    case TCode::MethodUnchecked:
        return Msg::ZipMethodUnchecked;
    case TCode::DictionaryTooLarge:
        return Msg::ZipDictionaryTooLarge;
    case TCode::EntryTooLarge:
        return Msg::ZipEntryTooLarge;
    case TCode::EntryNotFound:
        return Msg::ZipEntryNotFound;
    case TCode::UnsafeName:
        return Msg::ZipUnsafeName;
    case TCode::LinkNotExtracted:
        return Msg::ZipLinkNotExtracted;
    case TCode::SpecialNotExtracted:
        return Msg::ZipSpecialNotExtracted;
    case TCode::NotRegularFile:
        return Msg::ZipNotRegularFile;
    case TCode::ReadError:
        return Msg::ZipReadError;
    case TCode::WriteError:
        return Msg::ZipWriteError;
    case TCode::OutOfMemory:
        return Msg::ReasonOutOfMemory;
    case TCode::NameTooLong:
        return Msg::ZipNameTooLong;
    case TCode::CompressionFailed:
        return Msg::ZipCompressionFailed;
    case TCode::Stopped:
        return Msg::ZipStopped;
    case TCode::None:
    case TCode::System:
    case TCode::Internal:
        break;
    }
    return Msg::ZipInternal;
}

// The value a message's "%s" takes: the method or version the text named. A method the unit has no
// name for is left out rather than shown as the unit's English word for it.
QString detailOf(const TZipFault &fault)
{
    if (fault.Code == TCode::MethodUnsupported && fault.Detail == "Unknown")
        return QString();
    return QString::fromStdString(fault.Detail);
}

} // namespace

QString ZipReason::text(const TZipFault &fault)
{
    QString reason;
    if (fault.Code == TCode::System)
        reason = SystemReason::text(fault.SystemError);
    else
        reason = MessageTable::fill(MessageTable::text(messageOf(fault.Code)), {detailOf(fault)}).trimmed();
    if (fault.Entry.empty())
        return reason;
    return EntryName::fromBytes(fault.Entry) + QStringLiteral(": ") + reason;
}

QString ZipReason::text(const std::exception &failure)
{
    return text(TZipFault::Of(failure));
}
