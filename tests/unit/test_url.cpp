#include "web/url.h"

#include "tests/support/gbk_testing.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using web::HeaderName;
using web::HeaderValue;
using web::HostOfUrl;
using web::PathOfUrl;
using web::PortOfUrl;
using web::Text;

struct HostCase {
  const char* name;
  Text address;
  bool rootDomainOnly;
  bool keepPort;
  std::optional<int> labelCount;
  Text expected;
};

TEST(HostOfUrl, PlainRule) {
  const HostCase cases[] = {
      {"lower-cased, port dropped", "http://P.Q.R:81/a/b?x=1", false, false, std::nullopt, "p.q.r"},
      {"keep port", "http://P.Q.R:81/a/b?x=1", false, true, std::nullopt, "p.q.r:81"},
      {"root domain only", "http://P.Q.R:81/a/b?x=1", true, false, std::nullopt, "q.r"},
      {"root domain only keeps the port on the last label", "http://p.q.r:81/", true, true, std::nullopt,
       "q.r:81"},
      {"root domain of a single label", "http://localhost/", true, false, std::nullopt, "localhost"},
      {"no scheme", "p.q/path", false, false, std::nullopt, "p.q"},
      {"no scheme, no slash", "p.q", false, false, std::nullopt, "p.q"},
      {"https", "https://Host/", false, false, std::nullopt, "host"},
      {"HTTPS in capitals", "HTTPS://Host:8443/x", false, true, std::nullopt, "host:8443"},
      {"no slash after the host", "http://host", false, false, std::nullopt, "host"},
      {"host part ends only at a slash", "http://host?x=1", false, false, std::nullopt, "host?x=1"},
      {"fragment belongs to the host part without a slash", "http://host#a", false, false, std::nullopt,
       "host#a"},
      {"https not at the start is not a scheme", "xhttps://h/", false, false, std::nullopt, "xhttps"},
      // C1 41 is one character whose second byte is "A".
      {"double-byte text is not lower-cased", "http://\xC1\x41.cn/", false, false, std::nullopt, "\xC1\x41.cn"},
  };
  for (const HostCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, HostOfUrl(c.address, c.rootDomainOnly, c.keepPort, c.labelCount));
  }
}

TEST(HostOfUrl, CountingRuleKeepsTheLastLabels) {
  const HostCase cases[] = {
      {"one, whole", "https://a.b.c.d.e/x", false, false, 1, "c.d.e"},
      {"one, root domain only", "https://a.b.c.d.e/x", true, false, 1, "d.e"},
      {"zero, root domain only", "https://a.b.c.d.e/x", true, false, 0, "e"},
      {"zero, whole", "https://a.b.c.d.e/x", false, false, 0, "d.e"},
      {"more than there are", "https://a.b.c.d.e/x", false, false, 5, "a.b.c.d.e"},
      {"more than there are, root domain only", "http://a.b.c/", true, false, 7, "a.b.c"},
      {"negative counts as zero", "http://a.b.c/", true, false, -3, "c"},
      {"no scheme", "A.B.C/path", false, false, 0, "b.c"},
      {"port dropped", "http://a.b.c:81/", false, false, 0, "b.c"},
      {"port kept", "http://a.b.c:81/", false, true, 0, "b.c:81"},
      {"empty address", "", false, false, 1, ""},
  };
  for (const HostCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, HostOfUrl(c.address, c.rootDomainOnly, c.keepPort, c.labelCount));
  }
}

TEST(PortOfUrl, FromTheHostOrTheScheme) {
  const struct {
    Text address;
    int expected;
  } cases[] = {
      {"https://host/x", 443},
      {"HTTPS://host/", 443},
      {"http://host/", 80},
      {"host/x", 80},
      {"http://host:81/", 81},
      {"https://host:8443", 8443},
      {"http://host:/", 0},
      {"http://host:8x/", 8},
      {"http://host: 81/", 81},
      {"http://host:-5/", -5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(c.expected, PortOfUrl(c.address));
  }
}

TEST(PathOfUrl, FromTheFirstSlashAfterTheHostInItsOwnCase) {
  const struct {
    Text address;
    Text expected;
  } cases[] = {
      {"http://host", "/"},
      {"http://Host/A?b=C", "/A?b=C"},
      {"http://host:81/p", "/p"},
      {"https://HOST/x/y?z=1#f", "/x/y?z=1#f"},
      {"http://host?x=1", "/"},
      {"p.q/path?A=B", "/path?A=B"},
      {"http://photo.localhost:18163/abc/#m=0&p=1", "/abc/#m=0&p=1"},
      {"http://img1.localhost:18163//a/b.jpg", "//a/b.jpg"},
      // Hosts whose name also occurs inside the scheme.
      {"http://p/x", "/x"},
      {"https://s/x", "/x"},
      {"http://tp.cn/x", "/x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_GBK_EQ(c.expected, PathOfUrl(c.address));
  }
}

TEST(HeaderLine, SplitsAtTheFirstColonAndTrimsBothSpaceKinds) {
  const Text fullWidth = "\xA1\xA1";
  const struct {
    const char* name;
    Text line;
    Text expectedName;
    Text expectedValue;
  } cases[] = {
      {"plain", "Accept: */*", "Accept", "*/*"},
      {"value with colons", "Referer: http://x/", "Referer", "http://x/"},
      {"no colon", "Accept */*", "", ""},
      {"empty", "", "", ""},
      {"empty value", "X-A:", "X-A", ""},
      {"empty name", ": v", "", "v"},
      {"half- and full-width spaces", fullWidth + " Host " + fullWidth + ": " + fullWidth + "a b" + fullWidth + " ",
       "Host", "a b"},
      {"tabs are kept", "\tName\t:\tv\t", "\tName\t", "\tv\t"},
      {"double-byte value", "X-Name: "_gbk + "相册"_gbk, "X-Name", "相册"_gbk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expectedName, HeaderName(c.line));
    EXPECT_GBK_EQ(c.expectedValue, HeaderValue(c.line));
  }
}

} // namespace
