// SPDX-License-Identifier: GPL-3.0-or-later
#include "RetryOnce.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace navicella::test {

void withOneRetry(const std::function<void()>& scenario)
{
    ::testing::TestPartResultArray first;
    {
        const ::testing::ScopedFakeTestPartResultReporter capture(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &first);
        scenario();
    }
    if (first.size() == 0)
        return;
    std::printf("The first run had %d failure(s); running again. The first:\n%s\n", first.size(),
                first.GetTestPartResult(0).message());
    scenario();
}

}  // namespace navicella::test
