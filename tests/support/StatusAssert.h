// gtest's view of a Status: `ASSERT_TRUE(test::succeeded(load(...)))` fails with the status's
// message, so a refused file says why in the test's output.
#pragma once

#include <gtest/gtest.h>

#include "core/Status.h"

namespace motifora::test {

inline ::testing::AssertionResult succeeded(const Status& status) {
    if (status) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << status.message;
}

}  // namespace motifora::test
