// SPDX-License-Identifier: MIT
#include "core/withheld_value.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "core/text.h"

namespace zonedesk::core {

namespace {

enum class Match : std::uint8_t
{
    Whole,   // the value is the phrase
    Opening, // the value begins with the phrase, at the end of a word when the phrase ends in one
};

struct WithheldPhrase
{
    std::string_view text; // lower case, single blanks
    Match match;
    WithheldForm form;
};

// What registries write in a contact's name, organisation or e-mail line instead of the value:
//    Registrant Name: REDACTED FOR PRIVACY
//    Registrant Email: Please query the RDDS service of the Registrar of Record identified in this
//        output for information on how to contact the Registrant, Admin, or Tech contact of ...
//    Registrant Email: Redacted | EU Data Subject                              (.ai, .cx, .do)
//    email:      Not Disclosed - Visit www.internet.ee for webbased WHOIS      (.ee; .si, .eu)
//    Email: HIDDEN! Details are available at http://www.cctld.by/whois/        (.by)
//    Registrant Email: https://whois.nic.la/contact/google.la/registrant       (a contact form)
// Only wordings no registrant's real name begins with are openings; short words that could start
// a name ("Redacted", "Private") match only as the whole value.
constexpr WithheldPhrase WithheldPhrases[] = {
    {"", Match::Whole, WithheldForm::ShortForm},
    {"n/a", Match::Whole, WithheldForm::ShortForm},
    {"---", Match::Whole, WithheldForm::ShortForm}, // .ws: a placeholder
    {"redacted", Match::Whole, WithheldForm::ShortForm},
    {"redacted for privacy", Match::Whole, WithheldForm::ShortForm},
    {"redacted for privacy purposes", Match::Whole, WithheldForm::ShortForm},
    {"data protected", Match::Whole, WithheldForm::ShortForm},
    {"gdpr masked", Match::Whole, WithheldForm::ShortForm},
    {"private person", Match::Whole, WithheldForm::ShortForm},           // .ru, .su, .ee
    {"hidden upon user request", Match::Whole, WithheldForm::ShortForm}, // .tr
    {"<data not disclosed>", Match::Whole, WithheldForm::ShortForm},     // .at
    {"(not shown)", Match::Whole, WithheldForm::ShortForm},              // .se
    {"redacted |", Match::Opening, WithheldForm::ShortForm},
    {"not disclosed", Match::Opening, WithheldForm::ShortForm},
    {"not shown", Match::Opening, WithheldForm::ShortForm},     // .be
    {"not displayed", Match::Opening, WithheldForm::ShortForm}, // .tw
    {"hidden!", Match::Opening, WithheldForm::ShortForm},
    {"https://", Match::Opening, WithheldForm::ShortForm},
    {"http://", Match::Opening, WithheldForm::ShortForm},
    {"please query the", Match::Opening, WithheldForm::Sentence},             // RDDS, Whois service
    {"please contact the registrar", Match::Opening, WithheldForm::Sentence}, // .in
    {"visit www.", Match::Opening, WithheldForm::Sentence},                   // .qa
    {"visit whois.", Match::Opening, WithheldForm::Sentence},                 // .ae
};

constexpr std::size_t LongestPhrase = std::max_element(std::begin(WithheldPhrases),
                                                       std::end(WithheldPhrases),
                                                       [](const WithheldPhrase& a, const WithheldPhrase& b) {
                                                           return a.text.size() < b.text.size();
                                                       })
                                          ->text.size();

constexpr bool isWordByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

constexpr char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

/// The first LongestPhrase + 1 bytes of the value as the table writes phrases: lower case, white
/// space trimmed and each run of it one blank. One byte more than any phrase tells a whole match
/// from an opening, and the byte after an opening from the end of the value.
class Normalised
{
public:
    explicit Normalised(std::string_view value)
    {
        bool blank = false;
        for (const char c : trim(value)) {
            if (WhiteSpace.find(c) != std::string_view::npos) {
                blank = true;
                continue;
            }
            if (blank && !push(' '))
                return;
            blank = false;
            if (!push(lowerAscii(c)))
                return;
        }
    }

    bool is(std::string_view phrase) const { return !m_longer && text() == phrase; }

    bool opensWith(std::string_view phrase) const
    {
        const std::string_view held = text();
        if (!held.starts_with(phrase))
            return false;
        if (phrase.empty() || !isWordByte(phrase.back()) || held.size() == phrase.size())
            return true;
        return !isWordByte(held[phrase.size()]);
    }

private:
    std::string_view text() const { return {m_bytes.data(), m_size}; }

    bool push(char c)
    {
        if (m_size == m_bytes.size()) {
            m_longer = true;
            return false;
        }
        m_bytes[m_size++] = c;
        return true;
    }

    std::array<char, LongestPhrase + 1> m_bytes{};
    std::size_t m_size = 0;
    bool m_longer = false; // the value goes on past m_bytes
};

} // namespace

WithheldForm withheldForm(std::string_view value)
{
    const Normalised normalised(value);
    for (const WithheldPhrase& phrase : WithheldPhrases) {
        const bool found =
            phrase.match == Match::Whole ? normalised.is(phrase.text) : normalised.opensWith(phrase.text);
        if (found)
            return phrase.form;
    }
    return WithheldForm::NotWithheld;
}

bool isWithheld(std::string_view value)
{
    return withheldForm(value) != WithheldForm::NotWithheld;
}

} // namespace zonedesk::core
