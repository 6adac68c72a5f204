// SPDX-License-Identifier: MIT
// The limits every libcurl transfer is held to: set with each answer checked, on a libcurl that
// resolves names on a thread of its own.
#include "net/curl_options.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "net/curl_handles.h"

namespace zonedesk::net {
namespace {

TEST(CurlOptions, ARefusedLimitEndsTheSettingAndSaysWhich)
{
    const CurlEasy easy = newCurlEasy();
    ASSERT_NE(easy, nullptr);
    std::string error;
    EXPECT_TRUE(limitTransfer(easy.get(), error)) << error;

    const CurlOption refused[] = {
        {.option = CURLOPT_FOLLOWLOCATION, .name = "CURLOPT_FOLLOWLOCATION", .number = 1},
        {.option = CURLOPT_PROTOCOLS_STR, .name = "CURLOPT_PROTOCOLS_STR", .text = "http,nonesuch"},
    };
    EXPECT_FALSE(setCurlOptions(easy.get(), refused, error));
    EXPECT_EQ(error.rfind("CURLOPT_PROTOCOLS_STR refused: ", 0), 0U) << error;
}

TEST(CurlOptions, LibcurlResolvesOnAThreadOfItsOwn)
{
    // Without it a look-up blocks the worker for the system's time-outs, past every limit.
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->features & CURL_VERSION_ASYNCHDNS, 0);
}

} // namespace
} // namespace zonedesk::net
