#include "catalogue/addresses.h"
#include "catalogue/records.h"

#include "tests/support/gbk_testing.h"
#include "web/regex_object.h"
#include "web/text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using catalogue::AlbumRecord;
using catalogue::Configuration;
using catalogue::DemoConfiguration;
using catalogue::DeriveAccountName;
using catalogue::LiveConfiguration;
using platform::Text;

const Text CallPrefix =
    "photo/wkorvental/dwr/call/plaincall/AlbumBean.getAlbumData.dwr?callCount=1&scriptSessionId=%24%7BscriptSessionId%"
    "7D187&c0-scriptName=AlbumBean&c0-methodName=getAlbumData&c0-id=0&c0-param0=number%3A";
const Text CallSuffix =
    "&c0-param1=string%3A&c0-param2=string%3Afromblog&c0-param3=string%3A24881696&c0-param4=boolean%3Afalse&batchId="
    "530377";

TEST(AlbumAddresses, AreBuiltFromTheConfigurationUnescaped) {
  const Configuration demo = DemoConfiguration(18163);
  const Configuration& live = LiveConfiguration();
  const struct {
    const char* name;
    Text actual;
    Text expected;
  } cases[] = {
      {"home page", catalogue::AccountHomePageAddress(demo, "abc"), "http://photo.localhost:18163/abc/#m=0&p=1"},
      {"home page, live", catalogue::AccountHomePageAddress(live, "abc"), "http://photo.163.com/abc/#m=0&p=1"},
      {"home page of an empty account", catalogue::AccountHomePageAddress(live, ""), "http://photo.163.com//#m=0&p=1"},
      {"home page, not escaped", catalogue::AccountHomePageAddress(live, "a b&c"),
       "http://photo.163.com/a b&c/#m=0&p=1"},
      {"album page", catalogue::AlbumPageAddress(demo, "abc", "123"),
       "http://photo.localhost:18163/abc/#m=1&aid=123&p=1"},
      {"album data call", catalogue::AlbumDataCallAddress(live, "123"),
       "http://photo.163.com/" + CallPrefix + "123" + CallSuffix},
      {"album data call, empty ID", catalogue::AlbumDataCallAddress(demo, ""),
       "http://photo.localhost:18163/" + CallPrefix + CallSuffix},
      {"cover", catalogue::CoverAddress(demo, "a/b.jpg"), "http://cover1.localhost:18163/a/b.jpg"},
      {"cover, live", catalogue::CoverAddress(live, "photo/x.jpg"), "http://img.ph.126.net/photo/x.jpg"},
      {"cover fallback, every occurrence",
       catalogue::CoverFallbackAddress(live, "http://img.ph.126.net/img.ph.126.net.jpg"),
       "http://img1.ph.126.net/img1.ph.126.net.jpg"},
      {"cover fallback, exact case", catalogue::CoverFallbackAddress(live, "http://IMG.PH.126.NET/a.jpg"),
       "http://IMG.PH.126.NET/a.jpg"},
      {"cover fallback, demo", catalogue::CoverFallbackAddress(demo, catalogue::CoverAddress(demo, "a/b.jpg")),
       "http://cover2.localhost:18163/a/b.jpg"},
      {"photo list", catalogue::PhotoListAddress("s2.photo.163.com/abc/1/list.js"),
       "http://s2.photo.163.com/abc/1/list.js"},
      {"photo, first byte dropped, slash between", catalogue::PhotoAddress(demo, "x/a/b.jpg"),
       "http://img1.localhost:18163//a/b.jpg"},
      {"photo fallback, no slash between", catalogue::PhotoFallbackAddress(demo, "x/a/b.jpg"),
       "http://img2.localhost:18163/a/b.jpg"},
      {"photo, empty address", catalogue::PhotoAddress(live, ""), "http://img.ph.126.net/"},
      {"photo fallback, empty address", catalogue::PhotoFallbackAddress(live, ""), "http://img1.ph.126.net"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GBK_EQ(c.expected, c.actual);
  }
}

TEST(AlbumAddresses, AlbumDataResultMarkersCutThePhotoListAddress) {
  const Text reply =
      "throw 'allowScriptTagRemoting is false.';\n//#DWR-INSERT\n//#DWR-REPLY\n"
      "dwr.engine._remoteHandleCallback('530377','0',\"s2.photo.163.com/abc/123/list.js?t=1\");\n";
  EXPECT_GBK_EQ("s2.photo.163.com/abc/123/list.js?t=1",
                web::GetMiddleText(reply, catalogue::AlbumDataResultLeft, catalogue::AlbumDataResultRight));
  // Another batch number is another call's reply.
  EXPECT_GBK_EQ("", web::GetMiddleText("dwr.engine._remoteHandleCallback('1','0',\"x\");",
                                       catalogue::AlbumDataResultLeft, catalogue::AlbumDataResultRight));
}

struct AccountCase {
  const char* name;
  Text entry;
  std::optional<Text> expected;
};

void CheckAccounts(const Configuration& config, const AccountCase* begin, const AccountCase* end) {
  for (const AccountCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    const std::optional<Text> account = DeriveAccountName(config, c->entry);
    ASSERT_EQ(c->expected.has_value(), account.has_value());
    if (account) {
      EXPECT_GBK_EQ(*c->expected, *account);
    }
  }
}

TEST(DeriveAccountName, LiveAddressForms) {
  const AccountCase cases[] = {
      {"subdomain form", "http://abc.photo.163.com/", Text("abc")},
      {"subdomain form without slash", "http://abc.photo.163.com", Text("abc")},
      {"subdomain form without http://", "abc.photo.163.com", Text("")},
      {"subdomain form over https", "https://abc.photo.163.com/", Text("")},
      {"path form", "http://photo.163.com/abc/", Text("abc")},
      {"path form without final slash", "http://photo.163.com/abc", Text("abc")},
      {"path form with the home page's fragment", "http://photo.163.com/abc/#m=0&p=1", Text("abc")},
      {"Chinese account name", "http://photo.163.com/"_gbk + "相册"_gbk + "/", "相册"_gbk},
      {"empty entry", "", std::nullopt},
      {"bare account name", "abc", std::nullopt},
      {"suffix in capitals only", "http://abc.PHOTO.163.COM/", std::nullopt},
      {"site root in capitals only", "HTTP://PHOTO.163.COM/abc/", std::nullopt},
      {"another site", "http://blog.163.com/abc/", std::nullopt},
  };
  CheckAccounts(LiveConfiguration(), std::begin(cases), std::end(cases));
}

TEST(DeriveAccountName, DemoAddressForms) {
  const Configuration demo = DemoConfiguration(18163);
  const AccountCase cases[] = {
      {"subdomain form with a port", "http://abc.photo.localhost:18163/", Text("abc")},
      {"path form with a port", "http://photo.localhost:18163/sample/", Text("sample")},
      {"path form without final slash", "http://photo.localhost:18163/sample", Text("sample")},
      {"path form on another port", "http://photo.localhost:1/sample/", std::nullopt},
      {"bare account name", "sample", std::nullopt},
  };
  CheckAccounts(demo, std::begin(cases), std::end(cases));
}

TEST(AlbumListScriptAddress, ValueAfterTheMarkerUpToTheNextApostrophe) {
  EXPECT_GBK_EQ("x/y.js", catalogue::AlbumListScriptAddress("a albumUrl : 'x/y.js' b"));
  EXPECT_GBK_EQ("http://s1.ph.126.net/abc/albumlist.js?v=2",
                catalogue::AlbumListScriptAddress("<script>var o = {\n  userName : 'abc',\n  albumUrl : "
                                                  "'http://s1.ph.126.net/abc/albumlist.js?v=2',\n};</script>"));
  EXPECT_GBK_EQ("", catalogue::AlbumListScriptAddress("<html>no album list here</html>"));
  EXPECT_GBK_EQ("", catalogue::AlbumListScriptAddress("albumUrl:'x/y.js'"));
  EXPECT_GBK_EQ("", catalogue::AlbumListScriptAddress("albumUrl : 'x/y.js"));
  EXPECT_GBK_EQ("", catalogue::AlbumListScriptAddress(""));
}

// The album-list script as the service sends it: GBK, one line per record,
// with two records sharing the first line and one record broken in two.
Text AlbumListScript() {
  return "var g_a$1d = [\n"
         "{id:1001,name:'我的相册（2015）',s:0,count:30,t:'1420070400000',lurl:'5/photo/abc/1001/cover.jpg',"
         "dmt:1420070400000,purl:'s2.photo.163.com/abc/1001/list.js'},"
         "{id:1002,name:'乗 旅行',s:1,count:120,t:'0',lurl:'3/a/b.jpg',dmt:0,purl:''},\n"
         "{id:1003,name:'broken',s:0,count:5,t:'0',\n"
         "lurl:'5/x/y.jpg',dmt:0,purl:'s2.photo.163.com/abc/1003/list.js'},\n"
         "{id:1004,name:'最后',s:0,count:7,t:'0',lurl:'9/c.jpg',dmt:1,purl:'s2.photo.163.com/abc/1004/list.js'}\n"
         "];\n"_gbk;
}

void ExpectRecord(const AlbumRecord& expected, const AlbumRecord& actual) {
  EXPECT_GBK_EQ(expected.albumId, actual.albumId);
  EXPECT_GBK_EQ(expected.name, actual.name);
  EXPECT_GBK_EQ(expected.countText, actual.countText);
  EXPECT_GBK_EQ(expected.coverPath, actual.coverPath);
  EXPECT_GBK_EQ(expected.photoListAddress, actual.photoListAddress);
}

TEST(AlbumRecords, AreReadFromARealisticScript) {
  web::RegexObject regex;
  ASSERT_EQ(3, catalogue::MatchAlbumRecords(regex, AlbumListScript()));
  const AlbumRecord expected[] = {
      {"1001", "我的相册（2015）"_gbk, "30", "photo/abc/1001/cover.jpg", "s2.photo.163.com/abc/1001/list.js"},
      {"1002", "乗 旅行"_gbk, "120", "a/b.jpg", ""},
      {"1004", "最后"_gbk, "7", "c.jpg", "s2.photo.163.com/abc/1004/list.js"},
  };
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    ExpectRecord(expected[i - 1], catalogue::ReadAlbumRecord(regex, i));
  }
}

TEST(AlbumRecords, MatchingRules) {
  const struct {
    const char* name;
    Text script;
    int expected;
  } cases[] = {
      {"two records on one line",
       "{id:1,name:'a',s:0,count:1,t:'0',lurl:'1/a.jpg',dmt:0,purl:'p/1.js'},"
       "{id:2,name:'b',s:0,count:2,t:'0',lurl:'1/b.jpg',dmt:0,purl:'p/2.js'}",
       2},
      {"a record broken across lines", "{id:1,name:'a',s:0,count:1,t:'0',lurl:'1/a.jpg',\ndmt:0,purl:'p/1.js'}", 0},
      {"letter case of the keys is ignored", "{ID:1,NAME:'a',S:0,COUNT:1,T:'0',LURL:'1/a.jpg',DMT:0,PURL:'p.js'}", 1},
      {"lurl without a slash", "{id:1,name:'a',s:0,count:1,t:'0',lurl:'a.jpg',dmt:0,purl:'p.js'}", 0},
      {"empty script", "", 0},
      {"foreign text", "<html><body>404 Not Found</body></html>", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    web::RegexObject regex;
    EXPECT_EQ(c.expected, catalogue::MatchAlbumRecords(regex, c.script));
  }
}

TEST(AlbumRecords, CoverPathIsTheLurlValueAfterItsFirstSlash) {
  web::RegexObject regex;
  ASSERT_EQ(
      1, catalogue::MatchAlbumRecords(regex, "{id:7,name:'x',s:0,count:3,t:'0',lurl:'5/a/b.jpg',dmt:0,purl:'p/7.js'}"));
  const AlbumRecord record = catalogue::ReadAlbumRecord(regex, 1);
  EXPECT_GBK_EQ("a/b.jpg", record.coverPath);
  EXPECT_GBK_EQ("7", record.albumId);
  EXPECT_GBK_EQ("3", record.countText);
  EXPECT_GBK_EQ("p/7.js", record.photoListAddress);
}

TEST(AlbumRecords, ScriptBodyIsReadUpToItsFirstZeroByte) {
  Text body = "{id:1,name:'a',s:0,count:1,t:'0',lurl:'1/a.jpg',dmt:0,purl:'p/1.js'}\n";
  body += '\0';
  body += "{id:2,name:'b',s:0,count:2,t:'0',lurl:'1/b.jpg',dmt:0,purl:'p/2.js'}\n";
  web::RegexObject regex;
  EXPECT_EQ(1, catalogue::MatchAlbumRecords(regex, web::BodyText(platform::ToBytes(body))));
  EXPECT_GBK_EQ("1", catalogue::ReadAlbumRecord(regex, 1).albumId);
}

TEST(AlbumRecords, ARecordBeyondTheMatchesReadsEmpty) {
  web::RegexObject regex;
  ASSERT_EQ(3, catalogue::MatchAlbumRecords(regex, AlbumListScript()));
  ExpectRecord(AlbumRecord{}, catalogue::ReadAlbumRecord(regex, 4));
  ExpectRecord(AlbumRecord{}, catalogue::ReadAlbumRecord(regex, 0));
}

} // namespace
