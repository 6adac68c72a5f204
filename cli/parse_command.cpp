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
        std::fclose(in);
    return ok;
}

class ParseCommand final : public Command
{
public:
    std::string_view name() const override { return "parse"; }

    std::string usage() const override
    {
        return "usage: zonedesk-cli parse --server HOST [--json] [FILE]\n"
               "  Parses a WHOIS reply (FILE, or standard input) as a reply from HOST and prints\n"
               "  status, statusText, expiryDate, registrationDate, updatedDate, owner, email and\n"
               "  registrar as name<TAB>value lines in UTF-8 (\\n, \\r, \\t and \\\\ escaped), or\n"
               "  one JSON object with --json.\n";
    }

    int run(std::span<const std::string_view> args) override
    {
        std::string_view host;
        bool haveHost = false;
        bool json = false;
        std::string file;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            if (arg == "--help" || arg == "-h")
                return help();
            if (arg == "--json") {
                json = true;
            } else if (arg == "--server") {
                if (i + 1 >= args.size())
                    return usageError("--server needs a host name");
                host = args[++i];
                haveHost = true;
            } else if (arg.starts_with('-') && arg != "-") {
                return usageError("unknown option " + std::string(arg));
            } else if (!file.empty()) {
                return usageError("more than one FILE");
            } else {
                file = arg;
            }
        }
        if (!haveHost)
            return usageError("--server HOST is missing");

        std::string reply;
        if (!readAll(file, reply)) {
            std::cerr << "zonedesk-cli: cannot read " << (file.empty() ? "standard input" : file) << "\n";
            return ExitFile;
        }
        core::DomainRecord record{};
        core::copyField(record.server, host);
        parse::parseReply(reply, record);
        printRecordResult(std::cout, record, json ? OutputFormat::Json : OutputFormat::Lines);
        return ExitOk;
    }
};

} // namespace

std::unique_ptr<Command> makeParseCommand()
{
    return std::make_unique<ParseCommand>();
}

} // namespace zonedesk::cli
