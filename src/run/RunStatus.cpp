#include "run/RunStatus.h"

#include "config/MessageTable.h"
#include "run/RunSummary.h"

QString RunStatus::text() const
{
    switch (kind) {
    case Kind::Empty:
        return QString();
    case Kind::Collecting:
        return MessageTable::text(Msg::StatusCollecting);
    case Kind::ArchivingFile:
        return MessageTable::text(Msg::StatusArchivingFile) + QLatin1Char(' ') +
               RunSummary::count(fileNumber) + QLatin1Char('/') + RunSummary::count(fileCount) +
               QStringLiteral("\r\n\r\n") + path;
    case Kind::Stopping:
        return MessageTable::text(Msg::StatusStopRequested);
    case Kind::ForcedStop:
        return MessageTable::text(Msg::StatusForcedStop);
    case Kind::LeftoverParts:
        return MessageTable::fill(MessageTable::text(Msg::StatusLeftoverParts),
                                  {RunSummary::count(fileCount)});
    case Kind::Verifying:
        return MessageTable::fill(MessageTable::text(Msg::StatusVerifying), {QString::number(fileNumber)});
    }
    return QString();
}
