// SPDX-License-Identifier: MIT
#include "watch/watch_report.h"

#include <algorithm>

namespace zonedesk::watch {

std::size_t WatchReport::count(NoticeKind kind) const
{
    return static_cast<std::size_t>(std::count_if(
        notices.begin(), notices.end(), [kind](const Notice& notice) { return notice.kind == kind; }));
}

std::string_view noticeKey(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::Dropped: return "dropped";
    case NoticeKind::NearExpiry: return "near-expiry";
    case NoticeKind::ExpiryMovedBack: return "expiry-moved-back";
    case NoticeKind::RegistrarChanged: return "registrar-changed";
    case NoticeKind::OwnerChanged: return "owner-changed";
    case NoticeKind::FailingAgain: return "failing-again";
    }
    return "unknown";
}

} // namespace zonedesk::watch
