// SPDX-License-Identifier: MIT
// Notices made in a line, and a report with every kind of them, for the message and channel tests.
#pragma once

#include <optional>
#include <string>

#include "watch/watch_report.h"

namespace zonedesk::test {

inline watch::Notice dropped(std::string name, std::string registrar = {})
{
    watch::Notice notice;
    notice.kind = watch::NoticeKind::Dropped;
    notice.name = std::move(name);
    notice.registrar = std::move(registrar);
    return notice;
}

inline watch::Notice expiring(std::string name,
                              std::optional<std::int32_t> daysLeft,
                              std::string expiry,
                              std::string registrar = {})
{
    watch::Notice notice;
    notice.kind = watch::NoticeKind::NearExpiry;
    notice.name = std::move(name);
    notice.daysLeft = daysLeft;
    notice.expiry = std::move(expiry);
    notice.registrar = std::move(registrar);
    return notice;
}

inline watch::Notice changed(watch::NoticeKind kind, std::string name, std::string before, std::string after)
{
    watch::Notice notice;
    notice.kind = kind;
    notice.name = std::move(name);
    notice.before = std::move(before);
    notice.after = std::move(after);
    return notice;
}

inline watch::Notice failing(std::string name, std::string reason)
{
    watch::Notice notice;
    notice.kind = watch::NoticeKind::FailingAgain;
    notice.name = std::move(name);
    notice.reason = std::move(reason);
    return notice;
}

inline watch::WatchReport sampleWatchReport()
{
    using watch::NoticeKind;
    watch::WatchReport report;
    report.total = 12;
    report.warnDays = 30;
    report.notices = {
        dropped("old.com", "Example Registrar"),
        expiring("soon.org", 25, "2027-01-02", "Example Registrar"),
        expiring("gone.net", -7, "2026-12-01"),
        changed(NoticeKind::ExpiryMovedBack, "x.com", "2027-05-14", "2026-05-14"),
        changed(NoticeKind::RegistrarChanged, "x.com", "A", "B"),
        changed(NoticeKind::OwnerChanged, "z.com", "", "B"),
        failing("y.com", "timed out"),
    };
    return report;
}

/// A report whose registry text holds markup, CR LF with a forged header, control bytes and
/// bytes that are not UTF-8.
inline watch::WatchReport hostileWatchReport()
{
    watch::WatchReport report;
    report.total = 2;
    report.notices = {
        dropped("evil.com\r\nBcc: x@evil", "<script>alert(1)</script> & Co\r\nBcc: x@evil"),
        failing(std::string("bad\xff\xfe\x01\x7f\x00.com", 12), "\x1b[31m"),
    };
    return report;
}

} // namespace zonedesk::test
