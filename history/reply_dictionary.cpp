// SPDX-License-Identifier: MIT
// The dictionary the history's replies are compressed against: the labels of our readers' tables
// in the registries' own spelling, and the layouts of our demo replies. zstd finds a match nearer
// the end of the dictionary more cheaply, so the most common layout (ICANN's, line ends of both
// kinds) comes last.
#include "history/stored_reply.h"

namespace zonedesk::history {

namespace {

constexpr std::string_view Dictionary =
    // Labels of the registries without rules of their own, as they spell them.
    "Expiration Date: Expire Date: Expires: Expires On: Expires at: Expiry: paid-till: Valid Until: "
    "Renewal Date: Record expires on Record will expire on Validity: Fecha de Vencimiento: "
    "Created: Created On: Created Date: Domain Create Date: Registered On: Registered Date: "
    "Registration Date: Record created on First Registration Date: Fecha de registro: "
    "Last Updated: Last Updated On: Last Updated Date: Record last updated on Last Update: last-update: "
    "Last Modified: Modified: Changed: Updated: Modification Date: "
    "Registrant Contact Name: Registrant Contact Organisation: Holder of domain name: Domain Holder: "
    "Holder: Owner Name: Owner: Titular: Organisation: Organization: descr: person: nic-hdl: nserver: "
    "Registrant E-mail: Owner Email: Holder Email: E-mail: Email Address: Registrar Name: "
    "Registration Service Provider: Authorized Agency: Query: Nombre de Dominio: Dominio: "
    "\nstatus: connect\nStatus: free\nStatus: active\nstate: paid and in zone\n"
    "source: \nremarks: \nchanged: \ncreated: \nregistrar: \nholder: \nadmin-c: \ntech-c: \nzone-c: "
    "\nnserver: \nnic-hdl: \naddress: \nphone: \nfax-no: \ne-mail: \n"
    // What registries say of a name that is free, taken or refused.
    "No entries found. No Data Found No matching record. Nothing found. No such domain. No object found. "
    "does not exist. is not registered. The domain has not been registered. "
    "This domain name has not been registered. is available for registration. is free. "
    "Not found: NOT FOUND Domain not found. No match for \"\". No match!! NO MATCH: "
    "Reserved name. is reserved. Whois limit exceeded. Quota exceeded. Server too busy. "
    // .cn, .hk and .jp.
    "ROID: Domain Status: ok\r\nRegistrant: Registrant Contact Email: Sponsoring Registrar: "
    "Registration Time: Expiration Time: DNSSEC: unsigned\r\n"
    "Registrar Name: Registrar Contact Information: Email: Domain Name Commencement Date: "
    "Expiry Date: Re-registration Status: Complete\nName Servers Information:\n\n"
    "Domain Information: [ドメイン情報]\n[Domain Name]                   \n[登録者名]                      "
    "\n[Registrant]                    \n[Name Server]                   \n[Signing Key]                   "
    "\n[登録年月日]                    \n[有効期限]                      \n[状態]                          "
    "Active\n[最終更新]                      \n[Created on]                    \n[Expires on]                "
    "    "
    "\n[Status]                        \n[Last Updated]                  \n"
    // .edu.
    "This Registry database contains ONLY .EDU domains.\n\nRegistrant:\n\t\nAdministrative Contact:\n\t"
    "\nTechnical Contact:\n\t\nName Servers: \n\nDomain record activated:    "
    "\nDomain record last updated: \nDomain expires:             \n"
    // The older Verisign and Afilias layouts.
    "   Whois Server: \r\n   Referral URL: \r\n   Status: clientTransferProhibited\r\n"
    "   Expiration Date: \r\n   Updated Date: \r\n   Creation Date: \r\nSponsoring Registrar IANA ID: "
    "Domain ID:D-LROR\r\nCreated On:\r\nLast Updated On:\r\nExpiration Date:\r\nSponsoring Registrar:\r\n"
    "Status:CLIENT TRANSFER PROHIBITED\r\nRegistrant ID:\r\nRegistrant Name:\r\nRegistrant Organization:\r\n"
    "Registrant Street1:\r\nRegistrant City:\r\nRegistrant Postal Code:\r\nRegistrant Country:\r\n"
    "Registrant Phone:\r\nRegistrant Email:\r\nAdmin ID:\r\nTech ID:\r\nName Server:\r\n"
    // ICANN's layout, as a registrar's server fills it in (contacts, redacted).
    "Registrant Street: \nRegistrant City: \nRegistrant Postal Code: \nRegistrant Phone: +1.\n"
    "Registrant Fax: \nRegistry Admin ID: REDACTED FOR PRIVACY\nAdmin Name: REDACTED FOR PRIVACY\n"
    "Admin Organization: REDACTED FOR PRIVACY\nAdmin Street: REDACTED FOR PRIVACY\n"
    "Admin City: REDACTED FOR PRIVACY\nAdmin State/Province: REDACTED FOR PRIVACY\n"
    "Admin Postal Code: REDACTED FOR PRIVACY\nAdmin Country: REDACTED FOR PRIVACY\n"
    "Admin Phone: REDACTED FOR PRIVACY\nAdmin Email: \nRegistry Tech ID: REDACTED FOR PRIVACY\n"
    "Tech Name: REDACTED FOR PRIVACY\nTech Organization: REDACTED FOR PRIVACY\n"
    "Tech Street: REDACTED FOR PRIVACY\nTech City: REDACTED FOR PRIVACY\n"
    "Tech State/Province: REDACTED FOR PRIVACY\nTech Postal Code: REDACTED FOR PRIVACY\n"
    "Tech Country: REDACTED FOR PRIVACY\nTech Phone: REDACTED FOR PRIVACY\nTech Email: \n"
    "Domain Status: clientDeleteProhibited https://icann.org/epp#clientDeleteProhibited\n"
    "Domain Status: clientUpdateProhibited https://icann.org/epp#clientUpdateProhibited\n"
    "Domain Status: clientRenewProhibited https://icann.org/epp#clientRenewProhibited\n"
    "Domain Status: serverDeleteProhibited https://icann.org/epp#serverDeleteProhibited\n"
    "Domain Status: serverTransferProhibited https://icann.org/epp#serverTransferProhibited\n"
    "Domain Status: serverUpdateProhibited https://icann.org/epp#serverUpdateProhibited\n"
    "Domain Status: ok https://icann.org/epp#ok\nDomain Status: active https://icann.org/epp#active\n"
    "Domain Status: pendingDelete https://icann.org/epp#pendingDelete\n"
    "Domain Status: redemptionPeriod https://icann.org/epp#redemptionPeriod\n"
    "Domain Status: addPeriod https://icann.org/epp#addPeriod\n"
    "DNSSEC: signedDelegation\n"
    // ICANN's layout with CRLF line ends, then with LF, the most common layout of all.
    "Domain Name: \r\nRegistry Domain ID: \r\nRegistrar WHOIS Server: \r\nRegistrar URL: http://www.\r\n"
    "Updated Date: T00:00:00Z\r\nCreation Date: T00:00:00Z\r\nRegistry Expiry Date: T00:00:00Z\r\n"
    "Registrar Registration Expiration Date: \r\nRegistrar: \r\nRegistrar IANA ID: \r\n"
    "Registrar Abuse Contact Email: \r\nRegistrar Abuse Contact Phone: +1.\r\n"
    "Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\r\n"
    "Registry Registrant ID: REDACTED FOR PRIVACY\r\nRegistrant Name: REDACTED FOR PRIVACY\r\n"
    "Registrant Organization: \r\nRegistrant State/Province: \r\nRegistrant Country: \r\n"
    "Registrant Email: Please query the RDDS service of the Registrar of Record identified in this "
    "output for information on how to contact the Registrant, Admin, or Tech contact of the queried "
    "domain name.\r\nName Server: \r\nName Server: \r\nDNSSEC: unsigned\r\n"
    "URL of the ICANN Whois Inaccuracy Complaint Form: https://www.icann.org/wicf/\r\n"
    ">>> Last update of WHOIS database: T00:00:00Z <<<\r\n\r\n"
    "For more information on Whois status codes, please visit https://icann.org/epp\r\n\r\n"
    "   Domain Name: \r\n   Registry Domain ID: _DOMAIN_COM-VRSN\r\n   Registrar WHOIS Server: \r\n"
    "   Registrar URL: http://www.\r\n   Updated Date: T00:00:00Z\r\n   Creation Date: T00:00:00Z\r\n"
    "   Registry Expiry Date: T00:00:00Z\r\n   Registrar: \r\n   Registrar IANA ID: \r\n"
    "   Registrar Abuse Contact Email: \r\n   Registrar Abuse Contact Phone: \r\n"
    "   Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\r\n"
    "   Name Server: \r\n   Name Server: \r\n   DNSSEC: unsigned\r\n"
    "   URL of the ICANN Whois Inaccuracy Complaint Form: https://www.icann.org/wicf/\r\n"
    ">>> Last update of whois database: T00:00:00Z <<<\r\n\r\n"
    "NOTICE: The expiration date displayed in this record is the date the\r\n"
    "registrar's sponsorship of the domain name registration in the registry is\r\n"
    "currently set to expire.\r\n"
    "Domain Name: \nRegistry Domain ID: \nRegistrar WHOIS Server: \nRegistrar URL: http://www.\n"
    "Updated Date: T00:00:00Z\nCreation Date: T00:00:00Z\nRegistry Expiry Date: T00:00:00Z\n"
    "Registrar Registration Expiration Date: \nRegistrar: \nRegistrar IANA ID: \n"
    "Registrar Abuse Contact Email: \nRegistrar Abuse Contact Phone: +1.\n"
    "Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\n"
    "Registry Registrant ID: REDACTED FOR PRIVACY\nRegistrant Name: REDACTED FOR PRIVACY\n"
    "Registrant Organization: \nRegistrant State/Province: \nRegistrant Country: \n"
    "Registrant Email: Please query the RDDS service of the Registrar of Record identified in this "
    "output for information on how to contact the Registrant, Admin, or Tech contact of the queried "
    "domain name.\nName Server: \nName Server: \nDNSSEC: unsigned\n"
    "URL of the ICANN Whois Inaccuracy Complaint Form: https://www.icann.org/wicf/\n"
    ">>> Last update of WHOIS database: T00:00:00Z <<<\n\n"
    "For more information on Whois status codes, please visit https://icann.org/epp\n\n";

} // namespace

std::string_view replyDictionary()
{
    return Dictionary;
}

} // namespace zonedesk::history
