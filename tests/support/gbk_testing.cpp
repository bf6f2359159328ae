#include "tests/support/gbk_testing.h"

#include <cstdio>

namespace testing_support {

std::string DescribeGbk(const platform::Text& text) {
  std::string bytes;
  for (unsigned char byte : text) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    if (!bytes.empty()) bytes += ' ';
    bytes += hex;
  }
  return "\"" + platform::GbkToUtf8(text) + "\" [" + bytes + "]";
}

testing::AssertionResult GbkEqual(const char* expectedExpression, const char* actualExpression,
                                  const platform::Text& expected, const platform::Text& actual) {
  if (expected == actual) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "Expected equality of " << expectedExpression << " and "
                                     << actualExpression << "\n  expected: " << DescribeGbk(expected)
                                     << "\n    actual: " << DescribeGbk(actual);
}

} // namespace testing_support
