// SPDX-License-Identifier: MIT
// The notations registries write their fields in, as this reader sees them:
//    Domain Name: EXAMPLE.TLD                       label, colon, value
//    domain.............: example.tld               dots before the colon (.fi .kz .tn)
//    Domain:.............example.tld                dots after it (.tg)
//    [Domain] example.tld                           a label in brackets
//    Domain name<TAB>example.tld                    a known label before a tab or two blanks (.ch)
//    Registrant:                                    a heading: the lines under it are its value
//        Example Ltd.                               (indented, or up to the next blank line) or
//    Registrar:                                     its own fields ("Name:" of the registrar);
//        Name: Example Registrar                    "[Holder]", or a bare "Registrant" opening a
//                                                   paragraph, head a section the same way
#include "parse/generic_reply.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/calendar_date.h"
#include "core/domain_status.h"
#include "core/encodings.h"
#include "core/lookup_status.h"
#include "core/result_fields.h"
#include "core/text.h"
#include "core/withheld_value.h"
#include "parse/date_notations.h"
#include "parse/generic_labels.h"
#include "parse/reply_entry.h"
#include "parse/service_refusals.h"
#include "parse/utf8_to_gbk.h"

namespace zonedesk::parse {

namespace {

using core::trim;
using generic::Part;

// A label is a short noun phrase; longer text before a colon is a sentence.
constexpr std::size_t LongestLabel = 60;
constexpr std::size_t MostLabelWords = 7;
constexpr std::size_t MostHeadingWords = 4;
// No registry's record runs to a thousand lines; a reply of more is no record, whatever it holds.
constexpr std::size_t MostLines = 4096;

struct Line
{
    std::string_view body; // without indent and trailing blanks
    std::size_t indent = 0;
    std::string label; // as the tables write labels; empty: no label
    std::string_view value;
    std::size_t labelEnd = 0; // bytes of `body` up to the end of the label
    bool colonLabel = false;  // the label stands before a colon or in brackets
    bool blank = false;       // empty, or a rule of dashes
    bool comment = false;
    bool underHeading = false; // in a heading's block: part of a value, never the server talking
    Part part = Part::Domain;
};

bool isAlnum(char c)
{
    return core::isAsciiDigit(c) || core::isAsciiLetter(c);
}

std::size_t indentOf(std::string_view line)
{
    std::size_t column = 0;
    for (const char c : line) {
        if (c == ' ')
            ++column;
        else if (c == '\t')
            column = column / 8 * 8 + 8;
        else
            break;
    }
    return column;
}

std::size_t wordCount(std::string_view text)
{
    std::size_t words = 0;
    bool inWord = false;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\t';
        words += !blank && !inWord ? 1 : 0;
        inWord = !blank;
    }
    return words;
}

/// `raw` as the tables write labels: lower case, each run of blanks one blank, no dots or blanks
/// at its end. Of a label in two languages ("Data de registo / Creation Date", .pt) the last is
/// kept, and a note in parentheses after it ("Expiration Date (dd/mm/yyyy)") is no part of it.
std::string normalLabel(std::string_view raw)
{
    raw = trim(raw);
    if (const std::size_t slash = raw.rfind(" / "); slash != std::string_view::npos)
        raw = raw.substr(slash + 3);
    if (const std::size_t note = raw.find(" ("); note != std::string_view::npos && raw.ends_with(')'))
        raw = raw.substr(0, note);
    std::string label;
    for (const char c : trim(raw)) {
        const bool blank = c == ' ' || c == '\t';
        if (blank && !label.empty() && label.back() == ' ')
            continue;
        label += blank ? ' ' : c;
    }
    while (!label.empty() && (label.back() == '.' || label.back() == ' '))
        label.pop_back();
    return core::asciiLower(label);
}

/// Whether the text before a colon can be a field's label: short, without the punctuation of a
/// sentence, and not a domain name ("free.cl: no existe") or an address.
bool canBeLabel(std::string_view raw)
{
    raw = trim(raw);
    if (raw.empty() || raw.size() > LongestLabel || wordCount(raw) > MostLabelWords)
        return false;
    if (raw.find_first_of(",\"!?;<>=@") != std::string_view::npos)
        return false;
    if (raw.find(' ') == std::string_view::npos) {
        for (std::size_t i = 0; i + 1 < raw.size(); ++i) {
            if (raw[i] == '.' && isAlnum(raw[i + 1]))
                return false;
        }
    }
    return !core::asciiLower(raw).starts_with("http");
}

/// Every label of the tables, longest first, for lines that write theirs without a colon.
const std::vector<std::string_view>& knownLabels()
{
    static const std::vector<std::string_view> labels = [] {
        std::vector<std::string_view> all;
        for (const auto& row : generic::FactLabels)
            all.push_back(row.label);
        for (const auto& row : generic::NameLabels)
            all.push_back(row.label);
        std::sort(all.begin(), all.end(), [](std::string_view a, std::string_view b) {
            return a.size() > b.size();
        });
        all.erase(std::unique(all.begin(), all.end()), all.end());
        return all;
    }();
    return labels;
}

/// The label and value of `line`, by the notations at the top of this file.
void readLabel(Line& line)
{
    const std::string_view body = line.body;
    if (body.starts_with('[')) {
        const std::size_t close = body.find(']');
        if (close != std::string_view::npos && canBeLabel(body.substr(1, close - 1))) {
            line.label = normalLabel(body.substr(1, close - 1));
            line.value = trim(body.substr(close + 1));
            line.labelEnd = close + 1;
            line.colonLabel = true;
        }
        return;
    }
    // "Nom de domaine#. . . . .google.dz" (.dz): a label, a hash and a leader of dots.
    if (const std::size_t hash = body.find("#.");
        hash != std::string_view::npos && canBeLabel(body.substr(0, hash))) {
        line.label = normalLabel(body.substr(0, hash));
        line.value = trim(body.substr(std::min(body.find_first_not_of(". ", hash + 1), body.size())));
        line.labelEnd = hash;
        line.colonLabel = true;
        return;
    }
    std::size_t start = 0;
    std::size_t colon = body.find(':');
    // RWhois writes "class:Attribute:value" ("domain:Created:20090324", .ma): the class is no part
    // of the label.
    if (colon != std::string_view::npos && colon + 1 < body.size() && core::isAsciiLetter(body[colon + 1])) {
        const std::size_t second = body.find(':', colon + 1);
        if (second != std::string_view::npos && second - colon <= LongestLabel &&
            body.substr(0, second).find_first_of(" \t") == std::string_view::npos &&
            !body.substr(second + 1).starts_with("//")) {
            start = colon + 1;
            colon = second;
        }
    }
    // A colon in an address ("https://") or a time ("22:59") ends no label.
    const bool url = colon != std::string_view::npos && body.substr(colon + 1).starts_with("//");
    const bool time = colon != std::string_view::npos && colon > 0 && colon + 1 < body.size() &&
                      core::isAsciiDigit(body[colon - 1]) && core::isAsciiDigit(body[colon + 1]);
    if (colon != std::string_view::npos && !url && !time) {
        if (canBeLabel(body.substr(start, colon - start))) {
            line.label = normalLabel(body.substr(start, colon - start));
            line.value = trim(body.substr(colon + 1));
            line.value =
                trim(line.value.substr(std::min(line.value.find_first_not_of('.'), line.value.size())));
            line.labelEnd = colon;
            line.colonLabel = true;
        }
        return;
    }
    const std::string lower = core::asciiLower(body);
    for (const std::string_view label : knownLabels()) {
        if (!lower.starts_with(label) || lower.size() == label.size())
            continue;
        const std::string_view rest = body.substr(label.size());
        // After one blank only a date or a name is a value: "Domain GOOGLE.KG", not the heading
        // "Domain Owners / Registrant" (.im).
        const std::string_view word = trim(rest).substr(0, trim(rest).find_first_of(" \t"));
        const bool blankLabel =
            std::find(std::begin(generic::BlankLabels), std::end(generic::BlankLabels), label) !=
                std::end(generic::BlankLabels) &&
            (core::readLeadingDate(trim(rest)) || trim(word, ".").find('.') != std::string_view::npos);
        if (rest.starts_with('\t') || rest.starts_with("  ") || (blankLabel && rest.starts_with(' '))) {
            line.label = std::string(label);
            line.value = trim(rest);
            line.labelEnd = label.size();
            return;
        }
    }
}

/// The length of an item's mark before a label ("1a.        Domain Name : x", .gov.za; "a [Domain
/// Name]   x", .my): up to three lower-case letters or digits, then a full stop and a blank, or
/// blanks and a bracketed label; 0 where the line has none.
std::size_t itemMarkLength(std::string_view body)
{
    std::size_t end = 0;
    while (end < body.size() && end < 4 &&
           (core::isAsciiDigit(body[end]) || (body[end] >= 'a' && body[end] <= 'z')))
        ++end;
    if (end == 0 || end > 3 || end + 1 >= body.size())
        return 0;
    if (body[end] == '.' && (body[end + 1] == ' ' || body[end + 1] == '\t'))
        return end + 1;
    const bool blank = body[end] == ' ' || body[end] == '\t';
    return blank && trim(body.substr(end)).starts_with('[') ? end : 0;
}

Line readLine(std::string_view raw)
{
    Line line;
    line.indent = indentOf(raw);
    line.body = trim(raw);
    if (line.body.empty() || line.body.find_first_not_of("-=_*") == std::string_view::npos) {
        line.blank = true;
        return line;
    }
    if (std::string_view("%#;").find(line.body.front()) != std::string_view::npos ||
        line.body.starts_with(">>>")) {
        line.comment = true;
        return line;
    }
    line.body = trim(line.body.substr(itemMarkLength(line.body)));
    // "** Domain Name: x" (.tr) is a field; "* Please note ... *" is a comment.
    if (line.body.starts_with('*')) {
        line.body = line.body.substr(std::min(line.body.find_first_not_of("* "), line.body.size()));
        if (!line.body.empty())
            readLabel(line);
        line.comment = !line.colonLabel;
        return line;
    }
    readLabel(line);
    return line;
}

/// Whether `written` holds `phrase` as whole words (`lower` is it in lower case): "no match" is not
/// in "no matching record". A capital after a small letter starts a word too ("freeNOT FOUND", .sn).
bool holdsWords(std::string_view written, std::string_view lower, std::string_view phrase)
{
    const auto small = [](char c) { return c >= 'a' && c <= 'z'; };
    for (std::size_t at = lower.find(phrase); at != std::string_view::npos; at = lower.find(phrase, at + 1)) {
        const std::size_t end = at + phrase.size();
        const bool starts =
            at == 0 || !isAlnum(lower[at - 1]) || (small(written[at - 1]) && !small(written[at]));
        if (starts && (end == lower.size() || !isAlnum(lower[end])))
            return true;
    }
    return false;
}

/// Whether `text` holds `phrase` where the table says it must stand (letter case ignored).
bool holdsPhrase(std::string_view text, const generic::Phrase& phrase)
{
    const std::string lower = core::asciiLower(trim(text));
    switch (phrase.where) {
    case generic::Where::Anywhere: return holdsWords(trim(text), lower, phrase.text);
    case generic::Where::WholeLine: return trim(lower, ".! ") == phrase.text;
    case generic::Where::LineEnd: return trim(lower, ".! ").ends_with(phrase.text);
    case generic::Where::AfterName: {
        const std::string_view line = trim(lower, ".! ");
        if (!line.ends_with(phrase.text) || line.size() == phrase.text.size())
            return false;
        const std::string_view name = trim(line.substr(0, line.size() - phrase.text.size()));
        return wordCount(name) == 1 && name.find('.') != std::string_view::npos;
    }
    }
    return false;
}

/// The part of a line in which the server talks: a comment or a line without a label whole
/// (after the comment marks), a label alone ("Not found: x.ca"), and the value of a message label
/// too; nothing of a line in a heading's block.
struct MessageText
{
    std::string_view text;
    bool wholeLine = true; // false: a label, which holds a phrase but is never one whole
};

std::optional<MessageText> messageText(const Line& line)
{
    if (line.blank || line.underHeading)
        return std::nullopt;
    if (line.comment)
        return MessageText{trim(line.body, "%#;>* \t")};
    if (!line.colonLabel)
        return MessageText{line.body};
    if (std::find(std::begin(generic::MessageLabels), std::end(generic::MessageLabels), line.label) !=
        std::end(generic::MessageLabels))
        return MessageText{line.body};
    return MessageText{line.body.substr(0, line.labelEnd), false};
}

enum class Comments : std::uint8_t
{
    Count,
    Skip
};

template <std::size_t N>
bool saysAny(const std::vector<Line>& lines,
             const generic::Phrase (&phrases)[N],
             Comments comments = Comments::Count)
{
    for (const Line& line : lines) {
        const auto message = messageText(line);
        if (!message || (line.comment && comments == Comments::Skip))
            continue;
        for (const generic::Phrase& phrase : phrases) {
            if ((message->wholeLine || phrase.where == generic::Where::Anywhere) &&
                holdsPhrase(message->text, phrase))
                return true;
        }
    }
    return false;
}

/// The part of the reply the lines under a heading belong to, by the first word of the table in it.
std::optional<Part> headingPart(std::string_view heading)
{
    const std::string lower = core::asciiLower(heading);
    for (const generic::PartWord& word : generic::HeadingWords) {
        if (lower.find(word.word) != std::string::npos)
            return word.part;
    }
    return std::nullopt;
}

/// A line that only names a section ("Registrant", "Owner Contact"): a few words of the heading
/// table, no punctuation, nothing the server would say about the name.
bool isBareHeading(const Line& line)
{
    if (line.blank || line.comment || !line.label.empty() || wordCount(line.body) > MostHeadingWords)
        return false;
    if (line.body.find_first_of(":.,!?\"'") != std::string_view::npos || !headingPart(line.body))
        return false;
    for (const auto& phrase : generic::NotRegisteredPhrases) {
        if (holdsPhrase(line.body, phrase))
            return false;
    }
    for (const auto& phrase : generic::TakenPhrases) {
        if (holdsPhrase(line.body, phrase))
            return false;
    }
    return true;
}

bool startsParagraph(const std::vector<Line>& lines, std::size_t i)
{
    return i == 0 || lines[i - 1].blank || lines[i - 1].comment;
}

/// Sets the part of every line of an object (RIPE-like contact, name server and registrar objects
/// after the domain's): a paragraph that opens with an object's label, or the rest of a paragraph
/// from a contact's label on.
void markObjects(std::vector<Line>& lines)
{
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = start;
        while (end < lines.size() && !lines[end].blank && !lines[end].comment)
            ++end;
        // A paragraph that states an expiry is the domain's, whatever label opens it (.sl opens its
        // record with "Registrar:").
        std::optional<Part> part;
        for (std::size_t i = start; i < end; ++i) {
            for (const generic::FactLabel& row : generic::FactLabels) {
                if (row.field == Field::ExpiryDate && row.label == lines[i].label)
                    part = Part::Domain;
            }
        }
        for (std::size_t i = start; i < end; ++i) {
            const Line& line = lines[i];
            if (!part && line.colonLabel) {
                for (const generic::PartWord& object : generic::ObjectLabels) {
                    if (line.label == object.word)
                        part = object.part;
                }
                part = part.value_or(Part::Domain);
            }
            if (line.label == generic::ContactLabel)
                part = headingPart(line.value).value_or(Part::Other);
            lines[i].part = part.value_or(Part::Domain);
        }
        start = end + 1;
    }
}

/// Whether `line` states a name under a label that names the domain and no party's fact ("Domain
/// Name: x.ee", not a contact's "name:").
bool statesDomainName(const Line& line)
{
    const auto same = [&](const auto& row) { return row.label == line.label; };
    return line.colonLabel && line.value.find('.') != std::string_view::npos &&
           std::any_of(std::begin(generic::NameLabels), std::end(generic::NameLabels), same) &&
           std::none_of(std::begin(generic::FactLabels), std::end(generic::FactLabels), same);
}

/// Gives every heading's block its part, and a heading whose block opens with a line without a
/// label that line as its value. Later (inner) headings overrule earlier ones.
void markHeadings(std::vector<Line>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line& heading = lines[i];
        const bool labelled = heading.colonLabel && heading.value.empty();
        const bool bare = !labelled && isBareHeading(heading);
        if (!labelled && !bare)
            continue;
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].blank)
            ++j;
        if (j == lines.size() || lines[j].comment)
            continue;
        const Part part =
            headingPart(bare ? heading.body : std::string_view(heading.label)).value_or(Part::Domain);
        const Line& next = lines[j];
        const bool nextIsText = next.label.empty() && !isBareHeading(next);
        std::size_t end = j;
        // The domain's own lines may follow inside a party's block (.ee "Registrant:" holds
        // "Domain Name:" and the record's dates): its name ends the party's block.
        const auto ends = [&](const Line& line) { return part != Part::Domain && statesDomainName(line); };
        if (next.indent > heading.indent) {
            // An indented block, blank lines and all, up to the next line at the heading's depth.
            for (std::size_t k = j;
                 k < lines.size() && (lines[k].blank || lines[k].indent > heading.indent) && !ends(lines[k]);
                 ++k)
                end = k + 1;
        } else if (!bare && nextIsText) {
            // The value on the lines below the label (.li, .bg), up to a blank line or a label.
            while (end < lines.size() && !lines[end].blank && !lines[end].comment && lines[end].label.empty())
                ++end;
        } else if (next.colonLabel ? (bare && j == i + 1) || startsParagraph(lines, i)
                                   : !next.label.empty() && !bare && startsParagraph(lines, i)) {
            // A section of fields up to the next blank line: "Registrant:" then "name: ...". A bare
            // heading right above fields opens one even inside a paragraph (.im: "Domain Owners /
            // Registrant").
            while (end < lines.size() && !lines[end].blank && !ends(lines[end]))
                ++end;
        } else {
            continue; // an empty field among others ("Registrant organisation:" of .cl)
        }
        if (labelled && nextIsText)
            heading.value = next.body;
        for (std::size_t k = j; k < end; ++k) {
            lines[k].part = part;
            lines[k].underHeading = true;
        }
    }
}

/// The reply's lines, a run of blank lines as one (it means one break); at most MostLines + 1 of
/// them, so a reply of any shape is read in memory of its own order (the caller refuses one
/// longer than MostLines).
std::vector<Line> readLines(std::string_view reply)
{
    std::vector<Line> lines;
    for (const std::string_view raw : core::EachLine(reply)) {
        Line line = readLine(raw);
        if (line.blank && !lines.empty() && lines.back().blank)
            continue;
        if (lines.size() > MostLines)
            break;
        lines.push_back(std::move(line));
    }
    markObjects(lines);
    markHeadings(lines);
    return lines;
}

/// The party a field is about.
Part partOf(Field field)
{
    switch (field) {
    case Field::Owner:
    case Field::Email: return Part::Registrant;
    case Field::Registrar: return Part::Registrar;
    default: return Part::Domain;
    }
}

/// Whether `text` holds a byte of `bytes`.
bool holdsAny(std::string_view text, std::string_view bytes)
{
    return text.find_first_of(bytes) != std::string_view::npos;
}

/// A registrar's name without the handle, IANA number or address a registry writes after it:
/// "MarkMonitor, Inc. (R22-LRCC)", "MarkMonitor Inc. (292)", "NIC.SL (http://www.nic.sl)",
/// "MarkMonitor Inc R45-ME". Only the last one goes ("dotASIA R4-ASIA (800046)"), and words in
/// parentheses are the name's own ("Sabz Mehregan (HostIran Networks)", "X Ltd (UK)").
std::string_view registrarName(std::string_view value)
{
    value = trim(value);
    if (const std::size_t open = value.rfind(" ("); open != std::string_view::npos && value.ends_with(')')) {
        const std::string_view inside = value.substr(open + 2, value.size() - open - 3);
        const bool oneToken = !holdsAny(inside, " \t") && holdsAny(inside, "0123456789-.");
        return oneToken ? trim(value.substr(0, open)) : value;
    }
    const std::size_t blank = value.find_last_of(" \t");
    const std::string_view last =
        blank == std::string_view::npos ? std::string_view() : value.substr(blank + 1);
    const bool handle = holdsAny(last, "0123456789") && holdsAny(last, "-") &&
                        std::any_of(last.begin(), last.end(), core::isAsciiLetter) &&
                        std::all_of(last.begin(), last.end(), [](char c) { return isAlnum(c) || c == '-'; });
    return handle ? trim(value.substr(0, blank)) : value;
}

/// Whether a registrar's value is a handle ("REG-MARKMONITOR", "ACTI-0024", "ua.markmonitor"): one
/// word holding a hyphen, a dot or a digit.
bool isHandle(std::string_view value)
{
    return !value.empty() && !holdsAny(value, " \t") && holdsAny(value, "-_.0123456789");
}

/// The value each field takes: for a date the first label's value that opens with a date; for the
/// others the first that is not withheld, else the first withheld one; a registrar's name before
/// its handle, unless values are kept `asWritten`.
std::optional<std::string_view>
factValue(const std::vector<Line>& lines, Field field, core::DateOrder order, bool asWritten)
{
    std::optional<std::string_view> withheld;
    std::string_view handle;
    for (const generic::FactLabel& row : generic::FactLabels) {
        if (row.field != field)
            continue;
        for (const Line& line : lines) {
            if (line.label != row.label || line.value.empty() || line.comment ||
                (line.part != row.part && (row.part != Part::Domain || line.part != partOf(field))))
                continue;
            if (core::resultField(field).isDate()) {
                if (core::readLeadingDate(line.value, order))
                    return line.value;
                // A registry with rules of its own keeps what its date label says ("null").
                if (asWritten && !withheld)
                    withheld = line.value;
            } else if (field == Field::Registrar && !asWritten && isHandle(registrarName(line.value))) {
                // The registrar's name, where the reply gives one, over its handle (FRED's
                // "registrar: REG-X" before the registrar's object).
                handle = handle.empty() ? registrarName(line.value) : handle;
            } else if (!core::isWithheld(line.value)) {
                return field == Field::Registrar && !asWritten ? registrarName(line.value) : line.value;
            } else if (!withheld) {
                withheld = line.value;
            }
        }
    }
    if (!handle.empty())
        return handle;
    return withheld;
}

struct StatedNames
{
    bool any = false;     // a domain line with a value
    bool queried = false; // one of them is the queried name
    bool other = false;   // one of them is a name, and not the queried one
    std::string name;     // the first name stated, in its comparable form
};

using QueriedName = std::optional<std::string>; // comparable form; nullopt: not known

StatedNames statedNames(const std::vector<Line>& lines, const QueriedName& queried)
{
    StatedNames stated;
    for (const Line& line : lines) {
        if (line.value.empty() || line.comment)
            continue;
        const bool nameLine = std::any_of(
            std::begin(generic::NameLabels),
            std::end(generic::NameLabels),
            [&](const generic::NameLabel& row) { return row.label == line.label && row.part == line.part; });
        if (!nameLine)
            continue;
        const std::string_view token = line.value.substr(0, line.value.find_first_of(" \t"));
        const auto name = comparableDomainName(token);
        // Only a word with a dot inside is a name: "Domain not found." states none.
        if (!name || name->find('.') == std::string::npos) {
            stated.any = stated.any || line.colonLabel;
            continue;
        }
        stated.any = true;
        if (stated.name.empty())
            stated.name = *name;
        // Without the name asked for (a saved reply read on its own), the name stated is taken.
        if (!queried || answersFor(*name, *queried))
            stated.queried = true;
        else
            stated.other = true;
    }
    return stated;
}

/// The registry's status line for the name: whether it says free (false) or held (true).
std::optional<bool> statusSays(const std::vector<Line>& lines)
{
    for (const Line& line : lines) {
        if (line.comment ||
            std::find(std::begin(generic::StatusLabels), std::end(generic::StatusLabels), line.label) ==
                std::end(generic::StatusLabels))
            continue;
        std::string value = core::asciiLower(trim(line.value, " .\t"));
        // A remark in parentheses after the state is no part of it: "AVAILABLE (No match for
        // domain "x.sx")".
        if (const std::size_t remark = value.find(" ("); remark != std::string::npos && value.ends_with(')'))
            value = trim(value.substr(0, remark));
        for (const generic::StatusWord& word : generic::StatusWords) {
            if (value == word.value)
                return word.registered;
        }
    }
    return std::nullopt;
}

struct Record
{
    Reading reading{core::LookupStatus::Success};
    bool anyFact = false; // a date, or a value the registry does not withhold
};

/// How many bytes `text` opens with that are ASCII.
std::size_t asciiPrefixLength(std::string_view text)
{
    const auto end =
        std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return static_cast<std::size_t>(end - text.begin());
}

/// A line's text as the registry's own labels are matched: without blanks around it and without an
/// item's mark ("a. [Domain Name]").
std::string_view ownLabelLine(std::string_view line)
{
    line = trim(line);
    return trim(line.substr(itemMarkLength(line)));
}

std::string_view applyThen(std::string_view value, LabelThen then)
{
    switch (then) {
    case LabelThen::Keep: return value;
    case LabelThen::DateInParentheses: {
        const std::size_t open = value.find('(');
        const std::size_t close = value.find(')', open == std::string_view::npos ? 0 : open);
        if (open == std::string_view::npos || close == std::string_view::npos)
            return {};
        return trim(value.substr(open + 1, close - open - 1));
    }
    case LabelThen::AfterParenColon: {
        const std::size_t mark = value.find("):");
        return mark == std::string_view::npos ? std::string_view() : trim(value.substr(mark + 2));
    }
    }
    return value;
}

/// The value of the registry's own labels for `field`: the first that holds one.
std::string_view ownValue(std::string_view reply, const LayoutOverride& layout, Field field)
{
    for (const OwnLabel& own : layout.labels) {
        if (own.field != field)
            continue;
        for (const std::string_view raw : core::EachLine(reply)) {
            const std::string_view line = ownLabelLine(raw);
            if (line.starts_with(own.label)) {
                if (const std::string_view value = applyThen(trim(line.substr(own.label.size())), own.then);
                    !value.empty())
                    return value;
                break;
            }
        }
    }
    return {};
}

/// A date value as the record keeps it: as the registry wrote it, or, where only the registry's
/// order of day and month reads it, the date alone in ISO form, which every later reader reads one
/// way; nothing where no date opens it.
std::string storedDate(std::string_view found, core::DateOrder order)
{
    std::string value(found);
    utf8ToGbkInPlace(value);
    // Bytes that are not UTF-8 are dropped: a date a stray byte ended would run into what
    // followed it ("2020-04-21\xC7" "1z" reads as the 211th). Its ASCII start is kept instead,
    // or nothing when that is no date.
    if (!value.empty() && !core::readLeadingDate(value, order))
        value = found.substr(0, std::min(found.size(), asciiPrefixLength(found)));
    const auto ordered = core::readLeadingDate(value, order);
    if (!ordered)
        return {};
    if (core::readLeadingDate(value) != ordered)
        return ordered->iso();
    return value;
}

Record readRecord(const std::vector<Line>& lines,
                  std::string_view reply,
                  const LayoutOverride& layout,
                  core::DateOrder order)
{
    Record record;
    for (const core::ResultField& row : core::ResultFields) {
        const Field field = row.field;
        if (!row.readByLabel())
            continue;
        if ((layout.notApplicable & fieldBit(field)) != 0) {
            record.reading.set(field, NotApplicable);
            continue;
        }
        std::string_view found = ownValue(reply, layout, field);
        const bool own = !found.empty();
        if (!own)
            found = factValue(lines, field, order, layout.keepWritten).value_or(std::string_view());
        std::string value;
        // A registry with rules of its own keeps its dates as written, whatever they say ("null").
        if (core::resultField(field).isDate() && !layout.keepWritten) {
            value = storedDate(found, order);
        } else {
            value = found;
            utf8ToGbkInPlace(value);
        }
        record.reading.set(field, value);
        // What the record keeps counts: a value of bytes that are not text keeps nothing.
        record.anyFact = record.anyFact || (core::resultField(field).isDate()
                                                ? !value.empty()
                                                : record.reading.hasValue(field) &&
                                                      !core::isWithheld(record.reading.value(field)));
    }
    return record;
}

bool carriesDates(const Reading& reading)
{
    return reading.hasValue(Field::ExpiryDate) || reading.hasValue(Field::RegistrationDate);
}

bool isHostName(std::string_view text)
{
    return text.find('.') != std::string_view::npos && !text.empty() && isAlnum(text.front()) &&
           std::all_of(text.begin(), text.end(), [](char c) { return isAlnum(c) || c == '-' || c == '.'; });
}

/// Whether the reply names a server of the name's zone ("Name Server: ns1.example.com", "nserver:",
/// or a "Name servers:" heading over them): only a registered name has one.
bool listsNameServer(const std::vector<Line>& lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const Line& line) {
        if (line.comment || line.value.empty() ||
            std::none_of(std::begin(generic::NameServerLabels),
                         std::end(generic::NameServerLabels),
                         [&](std::string_view label) { return line.label.starts_with(label); }))
            return false;
        return isHostName(trim(line.value.substr(0, line.value.find_first_of(" \t")), "."));
    });
}

/// Whether a contact's section names someone (.cl lists only the name's contacts and servers): a
/// free name has no contacts.
bool namesContacts(const std::vector<Line>& lines)
{
    return std::any_of(lines.begin(), lines.end(), [](const Line& line) {
        return line.underHeading && line.part == Part::Other && !line.value.empty() &&
               !core::isWithheld(line.value) &&
               std::any_of(
                   std::begin(generic::FactLabels), std::end(generic::FactLabels), [&](const auto& row) {
                       return row.field == Field::Owner && row.part == Part::Registrant &&
                              row.label == line.label;
                   });
    });
}

/// Whether the reply lists the name's servers as a zone file does, the name without its zone
/// before each ("go ns-1.example.com", Tonic's .to): two servers at least, as every registry asks
/// for, under one name.
bool listsDelegation(const std::vector<Line>& lines, const QueriedName& queried)
{
    std::string own =
        queried ? std::string(std::string_view(*queried).substr(0, queried->find('.'))) : std::string();
    int servers = 0;
    for (const Line& line : lines) {
        if (line.blank || line.comment || line.colonLabel || wordCount(line.body) != 2)
            continue;
        const std::string_view first = line.body.substr(0, line.body.find_first_of(" \t"));
        const std::string_view host = trim(trim(line.body.substr(first.size())), ".");
        const bool label =
            std::all_of(first.begin(), first.end(), [](char c) { return isAlnum(c) || c == '-'; });
        if (!label || !isHostName(host))
            continue;
        if (own.empty())
            own = core::asciiLower(first);
        servers += core::asciiLower(first) == own ? 1 : 0;
    }
    return servers >= 2;
}

template <std::size_t N> bool isOneOf(std::string_view label, const std::string_view (&labels)[N])
{
    return std::find(std::begin(labels), std::end(labels), label) != std::end(labels);
}

/// Adds the host a value names, or each of a comma list: "ns1.example.com", "ns1.example.com
/// 192.0.2.1", "ns1.example.com, ns2.example.com". What follows a host ("ns1.example.com.
/// not.defined.", .uz) is no server.
void addHosts(std::vector<std::string>& servers, std::string_view value)
{
    std::size_t at = 0;
    while (at < value.size()) {
        const std::size_t end = std::min(value.size(), value.find(',', at));
        if (auto host = core::nameServerHost(value.substr(at, end - at)))
            core::addNameServer(servers, std::move(*host));
        at = end + 1;
    }
}

/// Whether a key or DS record's value looks like one ("257 3 8 AwEAAb...", "12345 8 2 49FD..."):
/// a word such as "none" or "N/A" is no key.
bool looksLikeKey(std::string_view value)
{
    return value.size() >= 10 && std::any_of(value.begin(), value.end(), core::isAsciiDigit) &&
           !core::isWithheld(value);
}

/// The lines of a paragraph that is a contact's object (.ua's "contact-id:", "nic-hdl:"): their
/// "status:" is the contact's, not the domain's.
std::vector<bool> contactParagraphs(const std::vector<Line>& lines)
{
    std::vector<bool> contact(lines.size(), false);
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = start;
        bool isContact = false;
        while (end < lines.size() && !lines[end].blank) {
            isContact = isContact || isOneOf(lines[end].label, generic::ContactHandleLabels);
            ++end;
        }
        for (std::size_t i = start; i < end; ++i)
            contact[i] = isContact;
        start = end + 1;
    }
    return contact;
}

/// Lines under a status line that go on with its value, one code a line (.kz).
void addStatusLines(core::DomainStatuses& statuses, const std::vector<Line>& lines, std::size_t i)
{
    const std::size_t indent = lines[i].indent;
    for (++i; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.blank || line.comment || !line.label.empty() || line.indent <= indent)
            return;
        core::addStatusValue(statuses, line.body);
    }
}

/// The hosts of a zone-file-like listing (see listsDelegation): "go ns-1.example.com".
void addListedDelegation(std::vector<std::string>& servers,
                         const std::vector<Line>& lines,
                         const QueriedName& queried)
{
    const std::string own =
        queried ? std::string(std::string_view(*queried).substr(0, queried->find('.'))) : std::string();
    for (const Line& line : lines) {
        if (line.blank || line.comment || line.colonLabel || wordCount(line.body) != 2)
            continue;
        const std::string_view first = line.body.substr(0, line.body.find_first_of(" \t"));
        if (!own.empty() && core::asciiLower(first) != own)
            continue;
        if (auto host = core::nameServerHost(trim(line.body.substr(first.size()))))
            core::addNameServer(servers, std::move(*host));
    }
}

/// The hosts listed one a line under a heading of name servers (.it "Nameservers", .ch "Name
/// servers:", "Domain servers in listed order:"), from line `i` on, up to the first line that
/// names none.
void addListedHosts(std::vector<std::string>& servers, const std::vector<Line>& lines, std::size_t i)
{
    // A blank line or a rule may stand between the heading and its list (.kg, .hk, .mo).
    if (i < lines.size() && lines[i].blank)
        ++i;
    for (; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.blank || line.comment || (line.colonLabel && !line.underHeading))
            return;
        // "- ns1.example.com" (.ve), "ns1.example.com  192.0.2.1".
        const std::string_view body = trim(line.body, "-* \t");
        auto host = core::nameServerHost(body.substr(0, body.find_first_of(" \t")));
        if (!host)
            return;
        core::addNameServer(servers, std::move(*host));
    }
}

/// The domain's statuses, name servers and DNSSEC state, by the labels of generic_labels.h. A
/// "server" that is the domain itself (.dk "DNS: google.dk") is none.
void readSecurity(const std::vector<Line>& lines, Reading& reading, std::string_view domain = {})
{
    const std::vector<bool> contact = contactParagraphs(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (line.blank || line.comment)
            continue;
        const std::string bare = line.label.empty() ? normalLabel(line.body) : std::string();
        const std::string_view label = line.label.empty() ? std::string_view(bare) : line.label;
        const bool partyLine = line.part == Part::Registrant || line.part == Part::Registrar;
        if (isOneOf(line.label, generic::DnssecLabels) && !line.value.empty()) {
            if (const auto dnssec = core::readDnssecValue(line.value))
                reading.setDnssec(*dnssec);
        } else if (isOneOf(line.label, generic::SigningKeyLabels) && looksLikeKey(line.value)) {
            reading.setDnssec(core::Dnssec::Signed);
        } else if (line.part == Part::Domain && !contact[i] &&
                   isOneOf(line.label, generic::DomainStatusLabels) && !line.value.empty()) {
            core::addStatusValue(reading.statuses(), line.value);
            addStatusLines(reading.statuses(), lines, i);
        } else if (!partyLine && isOneOf(label, generic::NameServerHeadings)) {
            // A heading's value may be the first host of its list (.pl), or the line below it.
            addHosts(reading.nameServers(), line.value);
            addListedHosts(reading.nameServers(), lines, i + 1);
        } else if (!partyLine && !line.value.empty() &&
                   (std::any_of(std::begin(generic::NameServerLabelStarts),
                                std::end(generic::NameServerLabelStarts),
                                [&](std::string_view each) { return line.label.starts_with(each); }) ||
                    isOneOf(line.label, generic::MoreNameServerLabels))) {
            addHosts(reading.nameServers(), line.value);
        }
    }
    if (const auto self = comparableDomainName(domain); self && !self->empty()) {
        auto& servers = reading.nameServers();
        servers.erase(std::remove(servers.begin(), servers.end(), *self), servers.end());
    }
    // The record keeps its text in GBK, as every other field.
    for (std::string& word : reading.statuses().own)
        utf8ToGbkInPlace(word);
}

} // namespace

void readSecurityFacts(std::string_view reply, Reading& reading)
{
    // .jp's older replies are ISO-2022-JP: undecoded, their labels are none.
    if (reply.find("\x1B$") != std::string_view::npos) {
        const std::string decoded = core::iso2022jpToUtf8(reply);
        readSecurity(readLines(decoded), reading);
        return;
    }
    readSecurity(readLines(reply), reading);
}

bool saysHeld(std::string_view reply)
{
    return saysAny(readLines(reply), generic::TakenPhrases);
}

Reading readGenericReply(std::string_view reply, std::string_view queriedName)
{
    // A refusal or a throttled answer says nothing about the name: never free.
    if (auto refused = refusalReading(reply, serviceRefusal(reply)))
        return std::move(*refused);
    return readTodaysReply(reply, queriedName, NoOverride);
}

Reading readTodaysReply(std::string_view reply, std::string_view queriedName, const LayoutOverride& layout)
{
    std::string decoded;
    if (layout.readIso2022Jp && reply.find("\x1B$") != std::string_view::npos) {
        decoded = core::iso2022jpToUtf8(reply);
        reply = decoded;
    }
    const std::vector<Line> lines = readLines(reply);
    if (lines.size() > MostLines)
        return Reading(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    const QueriedName queried = comparableDomainName(queriedName);
    const StatedNames stated = statedNames(lines, queried);
    if (stated.other && !stated.queried)
        return Reading(core::LookupStatus::Error, core::ErrorReason::OtherDomain);
    const std::string_view name = queried ? std::string_view(*queried) : std::string_view(stated.name);
    const core::DateOrder order = layout.dateOrder != core::DateOrder::Unstated
                                      ? layout.dateOrder
                                      : dateOrderOf(reply, name.substr(name.rfind('.') + 1));
    const std::optional<bool> status = statusSays(lines);
    // A state the registry writes in a field outranks its legal text: "Status: free" under a
    // comment on names that are "reserved for" someone is free.
    if (saysAny(lines, generic::TakenPhrases, status == false ? Comments::Skip : Comments::Count)) {
        Reading held = readRecord(lines, reply, layout, order).reading;
        readSecurity(lines, held, queriedName);
        return held;
    }
    Record record = readRecord(lines, reply, layout, order);
    // A record of the queried name with any fact of it (a date, a holder, a registrar, a held state,
    // a name server) is an answer, whatever the server's legal text says about names "not found";
    // many registries print no date at all.
    const bool anyFact = record.anyFact || status == true || listsNameServer(lines) || namesContacts(lines);
    // A reply that names no domain is a record only with a section of its holder's and the record's
    // dates (.tr, 2014), not a stray run of fields.
    const std::string_view owner = record.reading.value(Field::Owner);
    const bool holderSection = std::any_of(lines.begin(), lines.end(), [](const Line& line) {
        return line.underHeading && line.part == Part::Registrant;
    });
    const bool unnamedRecord =
        holderSection && !owner.empty() && !core::isWithheld(owner) && carriesDates(record.reading);
    const bool delegation = listsDelegation(lines, queried);
    const bool carriesEntry = (stated.queried && anyFact) || unnamedRecord || delegation;
    if ((saysAny(lines, generic::NotRegisteredPhrases) && !carriesEntry) || status == false)
        return Reading(core::LookupStatus::NotRegistered);
    // Text that is neither a record nor a not-registered answer must not pass for a registered
    // name with empty fields.
    if (!delegation && ((!stated.any && !unnamedRecord) || !anyFact))
        return Reading(core::LookupStatus::Error, core::ErrorReason::Unrecognised);
    readSecurity(lines, record.reading, name);
    if (delegation)
        addListedDelegation(record.reading.nameServers(), lines, queried);
    return std::move(record.reading);
}

} // namespace zonedesk::parse
