// Comparing pixel buffers with a failure message that names the first differing pixel.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace farview_test {

inline ::testing::AssertionResult samePixels(const std::vector<uint8_t> &actual, const std::vector<uint8_t> &expected,
                                             int32_t width) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " pixels, expected " << expected.size();
    for (size_t i = 0; i < actual.size(); ++i)
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure()
                   << "pixel (" << (width > 0 ? i % size_t(width) : i) << ", " << (width > 0 ? i / size_t(width) : 0)
                   << ") is " << int(actual[i]) << ", expected " << int(expected[i]);
    return ::testing::AssertionSuccess();
}

} // namespace farview_test
