// SPDX-License-Identifier: MIT
// Telling a value the registry holds back ("REDACTED FOR PRIVACY", "Please query the RDDS service
// of the Registrar of Record ...") from a value of the registration, by one table of the wordings
// registries use.
#pragma once

#include <cstdint>
#include <string_view>

namespace zonedesk::core {

/// How a registry wrote a value in place of one it holds back.
enum class WithheldForm : std::uint8_t
{
    NotWithheld, // a value of the registration: a name, an address
    ShortForm,   // the registry's own short words ("REDACTED FOR PRIVACY", "Redacted | EU Data
                 // Subject", a contact form's address): worth showing as written
    Sentence,    // a sentence that only says where to ask: never worth showing
};

/// How `value` (ASCII, UTF-8 or GBK) stands for a withheld value. Letter case, the blanks around
/// it and runs of blanks inside it do not matter. Empty and "N/A" are withheld. A phrase of the
/// table matches either the whole value, or its opening; an opening that ends in a letter or
/// digit must end a word there, so "Redactedly Ltd" and "Privacy Inc" are names. Any thread.
WithheldForm withheldForm(std::string_view value);

/// Whether `value` stands for a value the registry holds back (withheldForm is not NotWithheld).
/// Any thread.
bool isWithheld(std::string_view value);

} // namespace zonedesk::core
