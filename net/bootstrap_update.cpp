// SPDX-License-Identifier: MIT
#include "net/bootstrap_update.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include <curl/curl.h>

#include "core/data_files.h"
#include "core/text.h"
#include "net/curl_handles.h"
#include "net/curl_options.h"

namespace zonedesk::net {

namespace {

constexpr std::size_t MaxValidatorsBytes = 4096;
constexpr std::size_t MaxHeaderValueBytes = 256;

struct Validators
{
    std::string etag;
    std::string lastModified;
};

/// Printable ASCII only, so that no value read from a file or a server can split a header line.
std::string headerSafe(std::string_view value)
{
    value = core::trim(value);
    const bool safe = !value.empty() && value.size() <= MaxHeaderValueBytes &&
                      std::all_of(value.begin(), value.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
    return safe ? std::string(value) : std::string();
}

/// The validators' file's value of `name` ("Name: value" lines, names in any letter case).
std::string savedValue(std::string_view text, std::string_view name)
{
    for (const std::string_view line : core::splitLines(text)) {
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && core::asciiLower(line.substr(0, colon)) == name)
            return headerSafe(line.substr(colon + 1));
    }
    return {};
}

/// The final response's header `name`, when it has a safe one.
std::string responseHeader(CURL* handle, const char* name)
{
    curl_header* header = nullptr;
    if (curl_easy_header(handle, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || header == nullptr ||
        header->value == nullptr)
        return {};
    return headerSafe(header->value);
}

struct Download
{
    long status = 0;
    std::string body;
    Validators validators; // the response's
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

extern "C" int stopRequested(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::stop_token*>(stop)->stop_requested() ? 1 : 0; // 1 ends the transfer
}

/// GET `url`, conditional on `validators`; nullopt with a reason for anything but 200 or 304.
std::optional<Download>
fetch(const std::string& url, const Validators& validators, const std::stop_token& stop, std::string& error)
{
    // Only a redirect can then lead elsewhere, and its refusal is said as one.
    const std::string scheme = core::asciiLower(url.substr(0, url.find(':')));
    if (scheme != "http" && scheme != "https") {
        error = "not an http or https URL";
        return std::nullopt;
    }
    const CurlEasy easy = newCurlEasy();
    CurlList headers;
    const bool listed =
        (validators.etag.empty() || appendCurlList(headers, ("If-None-Match: " + validators.etag).c_str())) &&
        (validators.lastModified.empty() ||
         appendCurlList(headers, ("If-Modified-Since: " + validators.lastModified).c_str()));
    if (!easy || !listed) {
        error = "libcurl could not start";
        return std::nullopt;
    }
    Download download;
    char message[CURL_ERROR_SIZE] = {};
    CURL* handle = easy.get();
    const CurlOption limits[] = {
        {.option = CURLOPT_URL, .name = "CURLOPT_URL", .text = url.c_str()},
        {.option = CURLOPT_CONNECTTIMEOUT, .name = "CURLOPT_CONNECTTIMEOUT", .number = 15},
        {.option = CURLOPT_TIMEOUT, .name = "CURLOPT_TIMEOUT", .number = 120},
        // Less than a byte a second for 30 s ends the transfer.
        {.option = CURLOPT_LOW_SPEED_LIMIT, .name = "CURLOPT_LOW_SPEED_LIMIT", .number = 1},
        {.option = CURLOPT_LOW_SPEED_TIME, .name = "CURLOPT_LOW_SPEED_TIME", .number = 30},
        {.option = CURLOPT_MAXFILESIZE,
         .name = "CURLOPT_MAXFILESIZE",
         .number = long{core::MaxBootstrapBytes}},
    };
    if (!limitTransfer(handle, error) || !setCurlOptions(handle, limits, error) ||
        !setCurlOption(handle, CURLOPT_HTTPHEADER, headers.get(), "CURLOPT_HTTPHEADER", error) ||
        !setCurlOption(handle, CURLOPT_WRITEFUNCTION, appendDownloadBody, "CURLOPT_WRITEFUNCTION", error) ||
        !setCurlOption(handle, CURLOPT_WRITEDATA, &download, "CURLOPT_WRITEDATA", error) ||
        !setCurlOption(handle, CURLOPT_ERRORBUFFER, message, "CURLOPT_ERRORBUFFER", error) ||
        !setCurlOption(handle, CURLOPT_XFERINFOFUNCTION, stopRequested, "CURLOPT_XFERINFOFUNCTION", error) ||
        !setCurlOption(handle, CURLOPT_XFERINFODATA, &stop, "CURLOPT_XFERINFODATA", error) ||
        !setCurlOption(handle, CURLOPT_NOPROGRESS, 0L, "CURLOPT_NOPROGRESS", error))
        return std::nullopt;
    const CURLcode code = curl_easy_perform(handle);
    if (download.overCap || code == CURLE_FILESIZE_EXCEEDED) {
        error = "larger than " + std::to_string(core::MaxBootstrapBytes) + " bytes";
        return std::nullopt;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        error = "stopped";
        return std::nullopt;
    }
    if (isRefusedRedirect(code)) {
        error = "redirected to a URL that is not https, or more than three times";
        return std::nullopt;
    }
    if (code != CURLE_OK) {
        error = message[0] != '\0' ? message : curl_easy_strerror(code);
        return std::nullopt;
    }
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &download.status) != CURLE_OK ||
        (download.status != 200 && download.status != 304)) {
        error = "HTTP status " + std::to_string(download.status);
        return std::nullopt;
    }
    download.validators = {responseHeader(handle, "ETag"), responseHeader(handle, "Last-Modified")};
    return download;
}

/// Keeps the new validators, or none: stale ones would ask about a copy the cache no longer holds.
/// Empty, or why they could not be kept.
std::string saveValidators(const std::filesystem::path& file, const Validators& validators)
{
    std::string text;
    if (!validators.etag.empty())
        text += "ETag: " + validators.etag + "\n";
    if (!validators.lastModified.empty())
        text += "Last-Modified: " + validators.lastModified + "\n";
    std::string error;
    if (core::writeFileAtomically(file, text, error))
        return {};
    std::error_code removed;
    std::filesystem::remove(file, removed);
    return error + " (the next update asks for the whole file)";
}

} // namespace

BootstrapUpdate updateBootstrap(const std::string& url, const std::stop_token& stop)
{
    BootstrapUpdate update;
    const std::filesystem::path folder = core::cacheDir();
    update.cacheFile = folder / core::BootstrapFileName;
    const std::filesystem::path validatorsFile = folder / ValidatorsFileName;
    core::BootstrapChoice choice =
        core::loadNewestBootstrap(core::dataDir() / core::BootstrapFileName, update.cacheFile);
    update.inUse = std::move(choice.bootstrap);
    update.inUseSource = std::move(choice.source);
    update.cacheNote = std::move(choice.cacheNote);

    std::string error;
    const std::optional<std::string> cachedBytes =
        core::readBoundedFile(update.cacheFile, core::MaxBootstrapBytes, error);
    Validators validators;
    // Without a good cached copy a "not modified" would leave nothing to use.
    if (cachedBytes && core::RdapBootstrap::parse(*cachedBytes, error)) {
        if (const auto text = core::readBoundedFile(validatorsFile, MaxValidatorsBytes, error))
            validators = {savedValue(*text, "etag"), savedValue(*text, "last-modified")};
    }

    const std::optional<Download> download = fetch(url, validators, stop, update.error);
    if (!download)
        return update;
    if (download->status == 304) {
        // "Not modified" answers a question; without one it leaves nothing to use.
        if (validators.etag.empty() && validators.lastModified.empty()) {
            update.error = "the server answered 304 (not modified) to a request for the whole file";
            return update;
        }
        update.outcome = BootstrapUpdate::Outcome::NotModified;
        return update;
    }
    update.fetched = core::RdapBootstrap::parse(download->body, update.error);
    if (!update.fetched)
        return update;
    const core::RdapBootstrap& fetched = *update.fetched;
    if (!update.inUse)
        update.outcome = BootstrapUpdate::Outcome::FirstCopy;
    else if (update.inUse->publication() == fetched.publication() && update.inUse->bases() == fetched.bases())
        update.outcome = BootstrapUpdate::Outcome::Unchanged;
    else if (core::publishedLater(update.inUse->publication(), fetched.publication()))
        update.outcome = BootstrapUpdate::Outcome::OlderFetched;
    else
        update.outcome = BootstrapUpdate::Outcome::Updated;

    // An older copy than the one in use is never written: it would replace a newer cached one.
    if (update.outcome == BootstrapUpdate::Outcome::OlderFetched)
        return update;
    if ((!cachedBytes || *cachedBytes != download->body) &&
        !core::writeFileAtomically(update.cacheFile, download->body, update.error)) {
        update.outcome = BootstrapUpdate::Outcome::Failed;
        return update;
    }
    update.validatorsNote = saveValidators(validatorsFile, download->validators);
    if (update.outcome == BootstrapUpdate::Outcome::Updated)
        update.changes = core::compareBootstraps(*update.inUse, fetched);
    return update;
}

} // namespace zonedesk::net
