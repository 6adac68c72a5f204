// SPDX-License-Identifier: MIT
// zonedesk-cli parse --server HOST [FILE]: what the parser makes of one reply.
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/domain_table.h"
#include "core/encodings.h"
#include "core/field_copy.h"
#include "core/lookup_status.h"
#include "core/whois_servers.h"
#include "parse/generic_reply.h"
#include "parse/parse_reply.h"

namespace zonedesk::cli {

namespace {

/// Reads all of `file` ("" or "-": standard input); false when it can't be read.
bool readAll(const std::string& file, std::string& bytes)
{
    const bool fromStdin = file.empty() || file == "-";
    std::FILE* in = fromStdin ? stdin : std::fopen(file.c_str(), "rbe");
    if (in == nullptr)
        return false;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof(buffer), in)) > 0)
        bytes.append(buffer, n);
    const bool ok = std::ferror(in) == 0;
    if (!fromStdin)
        static_cast<void>(std::fclose(in)); // read only: nothing is lost if closing fails
    return ok;
}

class ParseCommand final : public Command
{
public:
    std::string_view name() const override { return "parse"; }

    std::string_view summary() const override
    {
        return "Read a saved WHOIS reply as a lookup would and print what it says";
    }

    void declare(CLI::App& app) override
    {
        app.add_option("--server",
                       m_host,
                       "The WHOIS server the reply came from: the ten registries' hosts are read by their "
                       "own rules, any other host by the generic reader")
            ->type_name("HOST")
            ->required();
        app.add_option(
               "--domain", m_domain, "The name the reply should be for: one for another name is an error")
            ->type_name("NAME");
        app.add_flag("--json", m_json, "One JSON object instead of name<TAB>value lines");
        app.add_option("FILE", m_file, "The reply (default, or -: standard input)");
        app.footer("Prints status, statusText, expiryDate, registrationDate, updatedDate, owner, email,\n"
                   "registrar, statuses, nameServers, dnssec, error and reader (registry or generic) in\n"
                   "UTF-8 (\\n, \\r, \\t and \\\\ escaped).");
    }

    int run() override
    {
        const std::string file = m_file == "-" ? std::string() : m_file;
        const std::string_view host = m_host;
        const bool json = m_json;
        std::string reply;
        if (!readAll(file, reply)) {
            std::cerr << "zonedesk-cli: cannot read " << (file.empty() ? "standard input" : file) << "\n";
            return ExitFile;
        }
        core::DomainRecord record{};
        core::copyField(record.server, host);
        // The reader `lookup` uses for the host: the registry's own rules, else the generic one.
        const bool registry = core::serverForHost(host).has_value();
        if (registry)
            parse::parseReply(reply, record, m_domain);
        else
            parse::readGenericReply(reply, m_domain).storeInto(record);
        printRecordResult(std::cout,
                          record,
                          json ? OutputFormat::Json : OutputFormat::Lines,
                          registry ? "registry" : "generic");
        return ExitOk;
    }

private:
    std::string m_host;
    std::string m_file;
    std::string m_domain;
    bool m_json = false;
};

} // namespace

std::unique_ptr<Command> makeParseCommand()
{
    return std::make_unique<ParseCommand>();
}

} // namespace zonedesk::cli
