#include "links/LinkResult.h"

QString linkStatusName(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Ok: return QStringLiteral("ok");
    case LinkStatus::Moved: return QStringLiteral("moved");
    case LinkStatus::Broken: return QStringLiteral("broken");
    case LinkStatus::Unreachable: return QStringLiteral("unreachable");
    case LinkStatus::NotChecked: break;
    }
    return QStringLiteral("not checked");
}

LinkStatus linkStatusFromName(const QString &name)
{
    for (LinkStatus status : {LinkStatus::Ok, LinkStatus::Moved, LinkStatus::Broken, LinkStatus::Unreachable}) {
        if (linkStatusName(status) == name)
            return status;
    }
    return LinkStatus::NotChecked;
}
