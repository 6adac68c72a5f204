// SPDX-License-Identifier: MIT
// What a port-43 reply says about itself, whichever registry sent it: whether it carries an entry,
// which names its domain-name lines state, and whether a phrase stands in one of the server's own
// messages rather than in the value of a field.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::parse {

/// Whether the text at `start` stands in one of the reply's own message lines: a line without a
/// label, a comment line ("%", "#", "*", ">>>"), a line labelled "Error:", "NOTICE:" and the
/// like, or one whose "label" is a sentence of more than four words. A value of a record field
/// ("Registrant Organization: ...", "[Registrant] ...") is not one.
bool standsInMessage(std::string_view reply, std::size_t start);

/// A reply that carries a registry's entry for a name: a domain-name line ("Domain Name: X", "[Domain Name]
/// X", "domain: X") and a date. Such a reply is an answer, whatever its values or notices say.
bool carriesEntry(std::string_view reply);

/// A name in the form it is compared in: lower-case ASCII, the A-label of a name in UTF-8, without
/// quotes, brackets or a final dot; nullopt when it has no such form.
std::optional<std::string> comparableDomainName(std::string_view name);

/// Whether a record of `stated` answers for `queried`, both in their comparable form: the same
/// name, or one `queried` lies under (Nominet answers www.gov.uk with gov.uk's record).
bool answersFor(std::string_view stated, std::string_view queried);

/// Whether the reply's domain-name lines state one name or more and none of them answers for
/// `queried` (any label form, any letter case): a reply for another name. A reply that states
/// no name, or a `queried` with no comparable form, is not one.
bool statesOnlyOtherNames(std::string_view reply, std::string_view queried);

} // namespace zonedesk::parse
