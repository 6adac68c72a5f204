// SPDX-License-Identifier: MIT
#include "ui/core_text.h"

#include <string>

#include <QCoreApplication>

#include "core/encodings.h"

namespace zonedesk {

namespace {

// What lupdate reads for the Qt-free floors, which can't mark their own texts. Each must match its
// source byte for byte: core/lookup_status.cpp (GBK there, UTF-8 here), core/result_fields.h,
// core/error_reason.cpp, listfile/domain_import.cpp, history/record_changes.cpp.
[[maybe_unused]] constexpr const char* CoreTexts[] = {
    // Status words
    QT_TRANSLATE_NOOP("zonedesk::core", "无whois服务器"),
    QT_TRANSLATE_NOOP("zonedesk::core", "成功"),
    QT_TRANSLATE_NOOP("zonedesk::core", "域名未注册"),
    QT_TRANSLATE_NOOP("zonedesk::core", "ERR!"),
    QT_TRANSLATE_NOOP("zonedesk::core", "未查询"),
    // Column titles
    QT_TRANSLATE_NOOP("zonedesk::core", "whois服务器"),
    QT_TRANSLATE_NOOP("zonedesk::core", "域名"),
    QT_TRANSLATE_NOOP("zonedesk::core", "当前状态"),
    QT_TRANSLATE_NOOP("zonedesk::core", "过期日期"),
    QT_TRANSLATE_NOOP("zonedesk::core", "注册日期"),
    QT_TRANSLATE_NOOP("zonedesk::core", "whois更新日期"),
    QT_TRANSLATE_NOOP("zonedesk::core", "所有人"),
    QT_TRANSLATE_NOOP("zonedesk::core", "联系Email"),
    QT_TRANSLATE_NOOP("zonedesk::core", "注册商"),
    QT_TRANSLATE_NOOP("zonedesk::core", "状态码"),
    QT_TRANSLATE_NOOP("zonedesk::core", "域名服务器"),
    QT_TRANSLATE_NOOP("zonedesk::core", "DNSSEC签名"),
    // Why a lookup failed
    QT_TRANSLATE_NOOP("zonedesk::core", "域名无法转换为查询形式"),
    QT_TRANSLATE_NOOP("zonedesk::core", "找不到服务器地址"),
    QT_TRANSLATE_NOOP("zonedesk::core", "无法连接服务器"),
    QT_TRANSLATE_NOOP("zonedesk::core", "发送查询失败"),
    QT_TRANSLATE_NOOP("zonedesk::core", "服务器没有回复"),
    QT_TRANSLATE_NOOP("zonedesk::core", "等待回复超时"),
    QT_TRANSLATE_NOOP("zonedesk::core", "连接中断，回复不完整"),
    QT_TRANSLATE_NOOP("zonedesk::core", "服务器限制查询频率"),
    QT_TRANSLATE_NOOP("zonedesk::core", "服务器不再提供此查询"),
    QT_TRANSLATE_NOOP("zonedesk::core", "无法识别的回复"),
    QT_TRANSLATE_NOOP("zonedesk::core", "回复过大"),
    QT_TRANSLATE_NOOP("zonedesk::core", "未知此后缀的注册局服务"),
    QT_TRANSLATE_NOOP("zonedesk::core", "公共后缀，不能注册"),
    QT_TRANSLATE_NOOP("zonedesk::core", "回复的是另一个域名"),
    QT_TRANSLATE_NOOP("zonedesk::core", "回复不是RDAP应答"),
    QT_TRANSLATE_NOOP("zonedesk::core", "服务器的重定向不安全或过多，未跟随"),
    QT_TRANSLATE_NOOP("zonedesk::core", "服务器已无应答，未再查询"),
    // Why an imported line was skipped ("%1 行%2，未导入。")
    QT_TRANSLATE_NOOP("zonedesk::core", "长于 40 字节"),
    QT_TRANSLATE_NOOP("zonedesk::core", "行太长，不是域名"),
    QT_TRANSLATE_NOOP("zonedesk::core", "含有空格"),
    QT_TRANSLATE_NOOP("zonedesk::core", "含有控制字符"),
    QT_TRANSLATE_NOOP("zonedesk::core", "没有点号"),
    QT_TRANSLATE_NOOP("zonedesk::core", "含有域名不允许的字符"),
    QT_TRANSLATE_NOOP("zonedesk::core", "以 =、+、- 或 @ 开头"),
    QT_TRANSLATE_NOOP("zonedesk::core", "含有 GBK 无法表示的字符"),
    QT_TRANSLATE_NOOP("zonedesk::core", "是公共后缀，不能注册"),
    // Kinds of change between two lookups
    QT_TRANSLATE_NOOP("zonedesk::core", "已释放！"),
    QT_TRANSLATE_NOOP("zonedesk::core", "已被注册"),
    QT_TRANSLATE_NOOP("zonedesk::core", "续费"),
    QT_TRANSLATE_NOOP("zonedesk::core", "到期日提前"),
    QT_TRANSLATE_NOOP("zonedesk::core", "注册商变更"),
    QT_TRANSLATE_NOOP("zonedesk::core", "所有人变更"),
    QT_TRANSLATE_NOOP("zonedesk::core", "转移锁已解除！"),
    QT_TRANSLATE_NOOP("zonedesk::core", "已加转移锁"),
    QT_TRANSLATE_NOOP("zonedesk::core", "域名服务器变更"),
    QT_TRANSLATE_NOOP("zonedesk::core", "DNSSEC已关闭！"),
    QT_TRANSLATE_NOOP("zonedesk::core", "DNSSEC已开启"),
    QT_TRANSLATE_NOOP("zonedesk::core", "已暂停解析！"),
    QT_TRANSLATE_NOOP("zonedesk::core", "已恢复解析"),
    QT_TRANSLATE_NOOP("zonedesk::core", "进入赎回期或待删除！"),
    QT_TRANSLATE_NOOP("zonedesk::core", "已离开赎回期或待删除"),
};

} // namespace

QString coreText(std::string_view utf8)
{
    const std::string source(utf8); // translate() wants a terminated text
    return QCoreApplication::translate(CoreTextContext, source.c_str());
}

QString coreTextFromGbk(std::string_view gbk)
{
    return coreText(core::gbkToUtf8(gbk));
}

QString changeTextOnScreen(const history::Change& change)
{
    const QString kind = coreText(history::changeKindTextZh(change.kind));
    if (!history::changeShowsValues(change.kind))
        return kind;
    // A state that is gone has no value on one side: it says "none" rather than nothing.
    const auto side = [](const std::string& value) {
        return value.empty() ? QCoreApplication::translate("zonedesk::core", "无")
                             : QString::fromStdString(value);
    };
    return QCoreApplication::translate("zonedesk::core", "%1：%2 → %3")
        .arg(kind, side(change.from), side(change.to));
}

} // namespace zonedesk
