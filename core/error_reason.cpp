// SPDX-License-Identifier: MIT
#include "core/error_reason.h"

#include <cstddef>
#include <iterator>

namespace zonedesk::core {

namespace {

struct ReasonTexts
{
    ErrorReason reason;
    std::string_view key;
    std::string_view english;
    std::string_view chinese; // UTF-8: shown on the screen only
};

// Indexed by ErrorReason.
constexpr ReasonTexts Reasons[] = {
    {ErrorReason::None, "", "", ""},
    {ErrorReason::BadName, "bad-name", "bad name", "域名无法转换为查询形式"},
    {ErrorReason::HostNotFound, "host-not-found", "host not found", "找不到服务器地址"},
    {ErrorReason::ConnectFailed, "connect-failed", "connect failed", "无法连接服务器"},
    {ErrorReason::SendFailed, "send-failed", "send failed", "发送查询失败"},
    {ErrorReason::EmptyReply, "empty-reply", "empty reply", "服务器没有回复"},
    {ErrorReason::TimedOut, "timed-out", "timed out", "等待回复超时"},
    {ErrorReason::Reset, "reset", "connection reset", "连接中断，回复不完整"},
    {ErrorReason::Throttled, "throttled", "throttled", "服务器限制查询频率"},
    {ErrorReason::ServiceGone, "service-gone", "service gone", "服务器不再提供此查询"},
    {ErrorReason::Unrecognised, "unrecognised", "unrecognised reply", "无法识别的回复"},
    {ErrorReason::TooLarge, "too-large", "reply too large", "回复过大"},
    {ErrorReason::NoService, "no-service", "no registry service known", "未知此后缀的注册局服务"},
    {ErrorReason::PublicSuffix,
     "public-suffix",
     "a public suffix, which nobody registers",
     "公共后缀，不能注册"},
    {ErrorReason::OtherDomain, "other-domain", "a reply for another name", "回复的是另一个域名"},
    {ErrorReason::NotRdap, "not-rdap", "an HTTP answer that is not RDAP", "回复不是RDAP应答"},
    {ErrorReason::RedirectRefused,
     "redirect-refused",
     "redirect refused",
     "服务器的重定向不安全或过多，未跟随"},
    {ErrorReason::NotAnswering, "not-answering", "the server is not answering", "服务器已无应答，未再查询"},
};

constexpr bool reasonsAreIndexed()
{
    for (std::size_t i = 0; i < std::size(Reasons); ++i) {
        if (static_cast<std::size_t>(Reasons[i].reason) != i)
            return false;
    }
    return true;
}

static_assert(reasonsAreIndexed());

const ReasonTexts& textsOf(std::uint8_t reason)
{
    return reason < std::size(Reasons) ? Reasons[reason] : Reasons[0];
}

} // namespace

std::string_view errorReasonKey(std::uint8_t reason)
{
    return textsOf(reason).key;
}

std::uint8_t errorReasonOfKey(std::string_view key)
{
    for (const ReasonTexts& texts : Reasons) {
        if (!key.empty() && texts.key == key)
            return static_cast<std::uint8_t>(texts.reason);
    }
    return static_cast<std::uint8_t>(ErrorReason::None);
}

std::string_view errorReasonText(std::uint8_t reason)
{
    return textsOf(reason).english;
}

std::string_view errorReasonTextZh(std::uint8_t reason)
{
    return textsOf(reason).chinese;
}

} // namespace zonedesk::core
