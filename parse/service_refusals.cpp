// SPDX-License-Identifier: MIT
#include "parse/service_refusals.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/text.h"
#include "parse/reply_entry.h"

namespace zonedesk::parse {

namespace {

struct RefusalPhrase
{
    std::string_view phrase; // lower case; matched anywhere, letter case ignored
    Refusal kind;
};

// The one list of refusals. PIR answers "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR
// DETAILS"; Verisign "Sorry, the Whois database is currently down"; the retired .info port-43
// service "TLD is not supported."; .ga and .ml "WHOIS lookup for x can temporarily not be
// answered"; the rest are the wordings servers commonly use. A server that limits or refuses the
// query says nothing about the name, whatever else its reply holds ("Too many requests..." above
// "No entries found").
constexpr RefusalPhrase RefusalPhrases[] = {
    {"whois limit exceeded", Refusal::Throttled},
    {"the whois database is currently down", Refusal::Throttled},
    {"limit exceeded", Refusal::Throttled},
    {"quota exceeded", Refusal::Throttled},
    {"exceeded your query limit", Refusal::Throttled},
    {"restricted due to excessive queries", Refusal::Throttled},
    {"maximum daily connection limit reached", Refusal::Throttled},
    {"maximum query rate reached", Refusal::Throttled},
    {"number of allowed queries exceeded", Refusal::Throttled},
    {"server too busy", Refusal::Throttled},
    {"can temporarily not be answered", Refusal::Throttled},
    {"too many requests", Refusal::Throttled},    // AFNIC
    {"too many connections", Refusal::Throttled}, // .dk
    {"too many queries", Refusal::Throttled},
    {"try again later", Refusal::Throttled},             // .cz .nl
    {"limit reached", Refusal::Throttled},               // DENIC "access control limit reached"
    {"query quota", Refusal::Throttled},                 // Nominet
    {"please go away for", Refusal::Throttled},          // ZA Central Registry
    {"still in grace period, wait", Refusal::Throttled}, // EURid
    {"request denied", Refusal::Throttled},              // .nz "440 Request Denied"
    {"access denied", Refusal::Throttled},
    {"tld is not supported.", Refusal::Unavailable},
};

/// The phrases as one automaton (Aho-Corasick): every reply passes here, so it is read once, byte
/// by byte, whatever the number of phrases. Bytes fall into classes: the letters (either case),
/// blank, full stop, anything else.
class RefusalMatcher
{
public:
    RefusalMatcher()
    {
        m_next.emplace_back();
        m_found.push_back(Refusal::None);
        m_length.push_back(0);
        for (const RefusalPhrase& entry : RefusalPhrases) {
            std::size_t state = 0;
            for (const char c : entry.phrase) {
                const std::size_t cls = classOf(c);
                if (m_next[state][cls] == 0) {
                    m_next[state][cls] = static_cast<std::uint16_t>(m_next.size());
                    m_next.emplace_back();
                    m_found.push_back(Refusal::None);
                    m_length.push_back(0);
                }
                state = m_next[state][cls];
            }
            m_found[state] = entry.kind;
            m_length[state] = entry.phrase.size();
        }
        // Breadth first: each state falls back to the longest suffix that is also a prefix.
        std::vector<std::uint16_t> fail(m_next.size(), 0);
        std::vector<std::size_t> queue;
        for (std::size_t cls = 0; cls < Classes; ++cls) {
            if (m_next[0][cls] != 0)
                queue.push_back(m_next[0][cls]);
        }
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::size_t state = queue[head];
            if (m_found[state] == Refusal::None) {
                m_found[state] = m_found[fail[state]];
                m_length[state] = m_length[fail[state]];
            }
            for (std::size_t cls = 0; cls < Classes; ++cls) {
                const std::uint16_t child = m_next[state][cls];
                if (child != 0) {
                    fail[child] = m_next[fail[state]][cls];
                    queue.push_back(child);
                } else {
                    m_next[state][cls] = m_next[fail[state]][cls];
                }
            }
        }
    }

    struct Hit
    {
        Refusal kind = Refusal::None;
        std::size_t start = 0; // of the phrase in the text
    };

    /// The first phrase that ends at or after `from`, starting the automaton afresh there.
    Hit find(std::string_view text, std::size_t from) const
    {
        std::size_t state = 0;
        for (std::size_t i = from; i < text.size(); ++i) {
            state = m_next[state][classOf(text[i])];
            if (m_found[state] != Refusal::None)
                return {m_found[state], i + 1 - m_length[state]};
        }
        return {};
    }

private:
    static constexpr std::size_t Classes = 29;

    static std::size_t classOf(char c)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'a' && byte <= 'z')
            return byte - 'a';
        if (byte >= 'A' && byte <= 'Z')
            return byte - 'A';
        return byte == ' ' ? 26 : byte == '.' ? 27 : 28;
    }

    std::vector<std::array<std::uint16_t, Classes>> m_next;
    std::vector<Refusal> m_found;
    std::vector<std::size_t> m_length; // of the phrase found in each state
};

} // namespace

Refusal serviceRefusal(std::string_view reply)
{
    static const RefusalMatcher matcher;
    std::size_t from = 0;
    for (;;) {
        const auto hit = matcher.find(reply, from);
        if (hit.kind == Refusal::None)
            return Refusal::None;
        if (standsInMessage(reply, hit.start))
            return carriesEntry(reply) ? Refusal::None : hit.kind;
        // The rest of a field's line is that field's value too.
        const std::size_t lineEnd = reply.find('\n', hit.start);
        if (lineEnd == std::string_view::npos)
            return Refusal::None;
        from = lineEnd + 1;
    }
}

std::optional<Reading> refusalReading(std::string_view reply, Refusal refusal)
{
    if (reply.empty())
        return Reading(core::LookupStatus::Error, core::ErrorReason::EmptyReply);
    // A refusal says nothing about the domain: it must never read as a result.
    if (refusal != Refusal::None) {
        return Reading(core::LookupStatus::Error,
                       refusal == Refusal::Throttled ? core::ErrorReason::Throttled
                                                     : core::ErrorReason::ServiceGone);
    }
    return std::nullopt;
}

} // namespace zonedesk::parse
