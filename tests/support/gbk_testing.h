#pragma once

#include "platform/codepage.h"
#include "platform/types.h"

#include <gtest/gtest.h>

#include <string>

namespace testing_support {

// "中文" (D6 D0 CE C4) as readable characters and as bytes.
std::string DescribeGbk(const platform::Text& text);

testing::AssertionResult GbkEqual(const char* expectedExpression, const char* actualExpression,
                                  const platform::Text& expected, const platform::Text& actual);

} // namespace testing_support

// Compares two GBK texts and, on failure, shows both as characters and bytes.
#define EXPECT_GBK_EQ(expected, actual) EXPECT_PRED_FORMAT2(::testing_support::GbkEqual, expected, actual)
#define ASSERT_GBK_EQ(expected, actual) ASSERT_PRED_FORMAT2(::testing_support::GbkEqual, expected, actual)
