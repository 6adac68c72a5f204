// SPDX-License-Identifier: MIT
// zonedesk-cli update-data [--url URL]: IANA's current RDAP bootstrap into the cache folder, asked
// for only when it changed (If-None-Match / If-Modified-Since), and what changed said in a few lines.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <curl/curl.h>

#include "cli/command.h"
#include "cli/text_output.h"
#include "core/data_files.h"
#include "core/rdap_bootstrap.h"
#include "core/text.h"
#include "lookup/curl_transfer.h"

namespace zonedesk::cli {

namespace {

constexpr const char* IanaBootstrapUrl = "https://data.iana.org/rdap/dns.json";

/// The validators of the cached copy, beside it: "ETag: ..." and "Last-Modified: ..." lines.
constexpr const char* ValidatorsFileName = "rdap-dns.json.http";
constexpr std::size_t MaxValidatorsBytes = 4096;
constexpr std::size_t MaxHeaderValueBytes = 256;
constexpr std::size_t NamesListed = 20;

struct Validators
{
    std::string etag;
    std::string lastModified;
};

/// Printable ASCII only, so that no value read from a file or a server can split a header line.
bool isHeaderValue(std::string_view value)
{
    return !value.empty() && value.size() <= MaxHeaderValueBytes &&
           std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

/// `text`'s value of `name` ("Name: value" lines, names in any letter case), when it is one.
std::string headerValue(std::string_view text, std::string_view name)
{
    for (const std::string_view line : core::splitLines(text)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || core::asciiLower(line.substr(0, colon)) != name)
            continue;
        const std::string_view value = core::trim(line.substr(colon + 1));
        return isHeaderValue(value) ? std::string(value) : std::string();
    }
    return {};
}

struct Download
{
    long status = 0;
    std::string body;
    std::string headers; // the last response's header lines
    bool overCap = false;
};

extern "C" std::size_t appendDownloadBody(char* data, std::size_t size, std::size_t count, void* target)
{
    auto* download = static_cast<Download*>(target);
    const std::size_t bytes = size * count;
    if (download->body.size() + bytes > core::MaxBootstrapBytes) {
        download->overCap = true;
        return 0; // ends the transfer
    }
    download->body.append(data, bytes);
    return bytes;
}

extern "C" std::size_t appendDownloadHeader(char* data, std::size_t size, std::size_t count, void* target)
{
    auto* download = static_cast<Download*>(target);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/"))
        download->headers.clear(); // a redirect's or an interim response's headers are not the file's
    if (download->headers.size() + line.size() <= MaxValidatorsBytes)
        download->headers.append(line);
    return line.size();
}

struct EasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

struct HeaderListDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

/// GET `url`, conditional on `validators`; nullopt with a reason for anything but 200 or 304.
std::optional<Download> fetch(const std::string& url, const Validators& validators, std::string& error)
{
    // Only a redirect can then lead elsewhere, and its refusal is said as one.
    const std::string scheme = core::asciiLower(url.substr(0, url.find(':')));
    if (scheme != "http" && scheme != "https") {
        error = "not an http or https URL";
        return std::nullopt;
    }
    lookup::initialiseCurl();
    const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        error = "libcurl could not start";
        return std::nullopt;
    }
    curl_slist* list = nullptr;
    if (!validators.etag.empty())
        list = curl_slist_append(list, ("If-None-Match: " + validators.etag).c_str());
    if (!validators.lastModified.empty())
        list = curl_slist_append(list, ("If-Modified-Since: " + validators.lastModified).c_str());
    const std::unique_ptr<curl_slist, HeaderListDeleter> headers(list);

    Download download;
    char message[CURL_ERROR_SIZE] = {};
    CURL* handle = easy.get();
    if (!lookup::limitTransfer(handle, error))
        return std::nullopt;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L); // less than a byte a second ...
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 30L); // ... for 30 s ends the transfer
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(core::MaxBootstrapBytes));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendDownloadBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, appendDownloadHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &download);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, message);
    const CURLcode code = curl_easy_perform(handle);
    if (download.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        error = "larger than " + std::to_string(core::MaxBootstrapBytes) + " bytes";
        return std::nullopt;
    }
    if (lookup::isRefusedRedirect(code)) {
        error = "redirected to a URL that is not https, or more than three times";
        return std::nullopt;
    }
    if (code != CURLE_OK) {
        error = message[0] != '\0' ? message : curl_easy_strerror(code);
        return std::nullopt;
    }
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &download.status);
    if (download.status != 200 && download.status != 304) {
        error = "HTTP status " + std::to_string(download.status);
        return std::nullopt;
    }
    return download;
}

std::string listed(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < NamesListed; ++i)
        text += (i == 0 ? "" : " ") + escapedLine(names[i]);
    if (names.size() > NamesListed)
        text += " and " + std::to_string(names.size() - NamesListed) + " more";
    return text;
}

void printChanges(const core::RdapBootstrap& before, const core::RdapBootstrap& after)
{
    const core::BootstrapChanges changes = core::compareBootstraps(before, after);
    if (!changes.added.empty())
        std::cout << "added " << changes.added.size() << ": " << listed(changes.added) << "\n";
    if (!changes.removed.empty())
        std::cout << "removed " << changes.removed.size() << ": " << listed(changes.removed) << "\n";
    if (!changes.moved.empty()) {
        std::cout << "moved " << changes.moved.size() << " to another server:\n";
        for (std::size_t i = 0; i < changes.moved.size() && i < NamesListed; ++i) {
            const std::string& entry = changes.moved[i];
            std::cout << "  " << escapedLine(entry) << " " << escapedLine(before.bases().at(entry)) << " -> "
                      << escapedLine(after.bases().at(entry)) << "\n";
        }
        if (changes.moved.size() > NamesListed)
            std::cout << "  and " << changes.moved.size() - NamesListed << " more\n";
    }
    if (changes.empty())
        std::cout << "no TLD changed its server\n";
}

class UpdateDataCommand final : public Command
{
public:
    std::string_view name() const override { return "update-data"; }

    std::string_view summary() const override
    {
        return "Fetch IANA's current RDAP bootstrap into the cache folder and say what changed";
    }

    void declare(CLI::App& app) override
    {
        app.add_option(
               "--url", m_url, "Fetch the bootstrap from URL (default " + std::string(IanaBootstrapUrl) + ")")
            ->type_name("URL");
        app.footer("Writes $XDG_CACHE_HOME/zonedesk/rdap-dns.json (~/.cache/zonedesk/ by default), which\n"
                   "is used instead of the shipped copy while its publication is later. Asks again only\n"
                   "when the file changed since the last fetch. Prints the TLDs added, removed or moved\n"
                   "to another server, or \"unchanged\". Exit 0 when the cache is current, 2 when the\n"
                   "download or the file is broken (the cache is then left as it was).");
    }

    int run() override
    {
        const std::filesystem::path folder = core::cacheDir();
        const std::filesystem::path cacheFile = folder / core::BootstrapFileName;
        const std::filesystem::path validatorsFile = folder / ValidatorsFileName;
        const core::BootstrapChoice inUse =
            core::loadNewestBootstrap(core::dataDir() / core::BootstrapFileName, cacheFile);
        if (!inUse.cacheNote.empty())
            std::cerr << "zonedesk-cli: " << inUse.cacheNote << "\n";

        std::string error;
        const std::optional<std::string> cachedBytes =
            core::readBoundedFile(cacheFile, core::MaxBootstrapBytes, error);
        Validators validators;
        // Without a good cached copy a "not modified" would leave nothing to use.
        if (cachedBytes && core::RdapBootstrap::parse(*cachedBytes, error)) {
            if (const auto text = core::readBoundedFile(validatorsFile, MaxValidatorsBytes, error)) {
                validators.etag = headerValue(*text, "etag");
                validators.lastModified = headerValue(*text, "last-modified");
            }
        }

        const std::optional<Download> download = fetch(m_url, validators, error);
        if (!download)
            return failed(error);
        if (download->status == 304) {
            std::cout << "unchanged: " << m_url << " is the cached copy"
                      << (inUse.bootstrap
                              ? " (publication " + escapedLine(inUse.bootstrap->publication()) + ")"
                              : "")
                      << "\n";
            return ExitOk;
        }
        std::optional<core::RdapBootstrap> fetched = core::RdapBootstrap::parse(download->body, error);
        if (!fetched)
            return failed(error);

        if (!cachedBytes || *cachedBytes != download->body) {
            if (!core::writeFileAtomically(cacheFile, download->body, error))
                return failed(error);
        }
        saveValidators(validatorsFile, download->headers);

        const bool sameAsInUse = inUse.bootstrap &&
                                 inUse.bootstrap->publication() == fetched->publication() &&
                                 inUse.bootstrap->bases() == fetched->bases();
        if (sameAsInUse) {
            std::cout << "unchanged (publication " << escapedLine(fetched->publication()) << ")\n";
            return ExitOk;
        }
        if (!inUse.bootstrap) {
            std::cout << "saved " << cacheFile.string() << " (publication "
                      << escapedLine(fetched->publication()) << ", " << fetched->bases().size() << " TLDs)\n";
            return ExitOk;
        }
        if (core::publishedLater(inUse.bootstrap->publication(), fetched->publication())) {
            std::cout << "unchanged: the fetched copy (publication " << escapedLine(fetched->publication())
                      << ") is older than the one in use (publication "
                      << escapedLine(inUse.bootstrap->publication()) << ", " << inUse.source.string()
                      << ")\n";
            return ExitOk;
        }
        std::cout << "publication " << escapedLine(inUse.bootstrap->publication()) << " -> "
                  << escapedLine(fetched->publication()) << ", saved " << cacheFile.string() << "\n";
        printChanges(*inUse.bootstrap, *fetched);
        return ExitOk;
    }

private:
    int failed(const std::string& error) const
    {
        std::cerr << "zonedesk-cli update-data: " << m_url << ": " << error << "; the cache is as it was\n";
        return ExitFile;
    }

    /// Keeps the new validators, or none: stale ones would ask about a copy the cache no longer holds.
    static void saveValidators(const std::filesystem::path& file, std::string_view headers)
    {
        const std::string etag = headerValue(headers, "etag");
        const std::string lastModified = headerValue(headers, "last-modified");
        std::string text;
        if (!etag.empty())
            text += "ETag: " + etag + "\n";
        if (!lastModified.empty())
            text += "Last-Modified: " + lastModified + "\n";
        std::string error;
        if (!core::writeFileAtomically(file, text, error)) {
            std::error_code removed;
            std::filesystem::remove(file, removed);
            std::cerr << "zonedesk-cli: " << error << " (the next update asks for the whole file)\n";
        }
    }

    std::string m_url = IanaBootstrapUrl;
};

} // namespace

std::unique_ptr<Command> makeUpdateDataCommand()
{
    return std::make_unique<UpdateDataCommand>();
}

} // namespace zonedesk::cli
