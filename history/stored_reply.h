// SPDX-License-Identifier: MIT
// A reply as the history keeps it: compressed with zstd against a dictionary (our own, or one the
// history trained on the replies it already holds), or, in files written before compression and
// for replies past the cap, the bytes as received. The format travels in a column of its own, so a
// reply that happens to start like a zstd frame is never taken for one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zonedesk::history {

/// How a stored reply's bytes are to be read. The values are stored: never renumber them.
enum class ReplyFormat : std::int64_t
{
    AsReceived = 0,
    Zstd = 1, // one zstd frame with its content size, against the dictionary the row names
};

/// The largest reply the history restores: the exchanges' reply size cap. A stored frame that
/// claims more is refused before anything is allocated for it.
constexpr std::size_t StoredReplyCap = std::size_t{1} << 20;

/// The text the compression refers to: labels and phrases of the registries' replies, written for
/// this program. Fixed once rows use it; a changed dictionary needs a new ReplyFormat.
std::string_view replyDictionary();

struct StoredReply
{
    ReplyFormat format = ReplyFormat::AsReceived;
    std::string bytes;
};

/// Compresses replies against one dictionary, its tables built once and one context reused: a
/// run stores thousands of small replies, and building both for each cost more than compressing.
/// One thread at a time.
class ReplyPacker
{
public:
    explicit ReplyPacker(std::string_view dictionary = replyDictionary());
    ~ReplyPacker();
    ReplyPacker(const ReplyPacker&) = delete;
    ReplyPacker& operator=(const ReplyPacker&) = delete;
    ReplyPacker(ReplyPacker&&) noexcept;
    ReplyPacker& operator=(ReplyPacker&&) noexcept;

    /// The reply as it is to be stored: compressed against the dictionary, unless that does not
    /// make it smaller or the reply is past StoredReplyCap.
    StoredReply pack(std::string_view reply);

private:
    struct Tables;
    std::unique_ptr<Tables> m_tables;
};

/// One reply packed as ReplyPacker does. Any thread.
StoredReply storeReply(std::string_view reply, std::string_view dictionary = replyDictionary());

/// The reply stored as `bytes` in `format` (the column's value as read, any integer) against
/// `dictionary`. False, with `error` saying why, for an unknown format, a damaged frame, more than
/// one frame, or a frame that claims or holds more than StoredReplyCap bytes. Any thread.
bool readStoredReply(std::int64_t format,
                     std::string_view bytes,
                     std::string& reply,
                     std::string& error,
                     std::string_view dictionary = replyDictionary());

/// Replies to train a dictionary on, end to end in one buffer as the trainer reads them: gathered
/// there rather than copied there from a list of their own, which would hold them twice.
struct TrainingSamples
{
    std::string bytes;
    std::vector<std::size_t> sizes;

    void add(std::string_view reply);
};

/// A dictionary of at most `capacity` bytes trained on `samples`; empty when they are too few or
/// too alike to train on. Any thread.
std::string trainDictionary(const TrainingSamples& samples, std::size_t capacity);

} // namespace zonedesk::history
