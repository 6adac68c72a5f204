// SPDX-License-Identifier: MIT
// The readers' memory on a reply of the largest size a lookup keeps, whatever its shape: every
// allocation of this test program is counted, so the peak is the readers' own.
#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <string>

#include <gtest/gtest.h>

#include "core/whois_servers.h"
#include "parse/generic_reply.h"
#include "parse/parse_reply.h"
#include "parse/service_refusals.h"

namespace {

std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

// Each block carries its size ahead of it, so a delete knows what it gives back.
constexpr std::size_t Header = alignof(std::max_align_t);

void* counted(std::size_t size)
{
    auto* block = static_cast<unsigned char*>(std::malloc(size + Header));
    if (block == nullptr)
        throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t now = g_inUse.fetch_add(size) + size;
    for (std::size_t peak = g_peak.load(); now > peak && !g_peak.compare_exchange_weak(peak, now);) {
    }
    return block + Header;
}

void uncounted(void* pointer) noexcept
{
    if (pointer == nullptr)
        return;
    auto* block = static_cast<unsigned char*>(pointer) - Header;
    g_inUse.fetch_sub(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

} // namespace

void* operator new(std::size_t size)
{
    return counted(size);
}

void* operator new[](std::size_t size)
{
    return counted(size);
}

void operator delete(void* pointer) noexcept
{
    uncounted(pointer);
}

void operator delete[](void* pointer) noexcept
{
    uncounted(pointer);
}

void operator delete(void* pointer, std::size_t /*size*/) noexcept
{
    uncounted(pointer);
}

void operator delete[](void* pointer, std::size_t /*size*/) noexcept
{
    uncounted(pointer);
}

namespace zonedesk::test {
namespace {

constexpr std::size_t ReplyCap = std::size_t{1} << 20;
constexpr std::size_t MostPerReply = 8 * ReplyCap;

std::string filled(std::string_view unit)
{
    std::string reply;
    reply.reserve(ReplyCap);
    while (reply.size() + unit.size() <= ReplyCap)
        reply += unit;
    return reply;
}

TEST(ReaderMemory, AReplyOfAnyShapeIsReadInAFewTimesItsSize)
{
    const std::string shapes[] = {
        filled("\n"),
        filled("a\n"),
        filled("\r\n"),
        filled("Domain Name: x.tld\n"),
        filled("Registrant:\n  a\n"),
        filled("% not found\n"),
        std::string(ReplyCap, 'x'),
    };
    for (const std::string& reply : shapes) {
        const auto read = [&](const char* reader, auto&& how) {
            const std::size_t before = g_inUse.load();
            g_peak.store(before);
            how();
            EXPECT_LE(g_peak.load() - before, MostPerReply)
                << reader << " on a reply opening " << testing::PrintToString(reply.substr(0, 20));
        };
        read("generic", [&] { (void)parse::readGenericReply(reply, "x.tld"); });
        read("com's rules", [&] {
            (void)parse::readReply(reply, core::WhoisServer::Verisign, parse::serviceRefusal(reply), "x.tld");
        });
    }
}

} // namespace
} // namespace zonedesk::test
