// HostOfUrl, PortOfUrl, PathOfUrl, HeaderName and HeaderValue on any
// address and header line. Fields: address, header line. Options: flags
// (root domain only, keep port, counting rule), label count.
#include "fuzz/fuzz_support.h"
#include "web/url.h"

#include <optional>

using namespace fuzzing;

namespace {

void CheckHost(std::string_view address, bool rootDomainOnly, bool keepPort, std::optional<int> labelCount) {
  const Text host = web::HostOfUrl(address, rootDomainOnly, keepPort, labelCount);
  Require(web::LowerAscii(host) == host, "HostOfUrl result is not lower case", address, host);
  if (!keepPort) Require(web::FindText(host, ":") == -1, "HostOfUrl kept a port", address, host);
  Require(web::FindText(host, "/") == -1, "HostOfUrl result holds a slash", address, host);
  if (!labelCount && !rootDomainOnly) {
    Require(IsSubstring(web::LowerAscii(address), host), "HostOfUrl result is not part of the address", address,
            host);
  }
}

void CheckPort(std::string_view address) {
  const int port = web::PortOfUrl(address);
  const Text host = web::HostOfUrl(address, false, true);
  if (web::FindText(host, ":") == -1) {
    const bool secure = web::LowerAscii(address).starts_with("https");
    Require(port == (secure ? 443 : 80), "PortOfUrl default port is wrong", address, std::to_string(port));
  }
}

void CheckPath(std::string_view address) {
  const Text path = web::PathOfUrl(address);
  Require(path.starts_with("/"), "PathOfUrl does not begin with a slash", address, path);
  Require(path == "/" || address.ends_with(path), "PathOfUrl is not the end of the address", address, path);
}

void CheckHeader(std::string_view line) {
  const Text name = web::HeaderName(line);
  const Text value = web::HeaderValue(line);
  const int colon = web::FindText(line, ":");
  if (colon == -1) {
    Require(name.empty() && value.empty(), "a line without a colon gave a name or a value", line);
    return;
  }
  Require(web::TrimSpaces(name) == name && web::TrimSpaces(value) == value, "header parts are not trimmed", line);
  Require(web::FindText(name, ":") == -1, "header name holds a colon", line, name);
  const std::string_view before = line.substr(0, static_cast<std::size_t>(colon - 1));
  const std::string_view after = line.substr(static_cast<std::size_t>(colon));
  Require(IsSubstring(before, name), "header name is not from before the colon", line, name);
  Require(IsSubstring(after, value), "header value is not from after the colon", line, value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Split(data, size);
  const std::string& address = in.Field(0);
  const bool rootDomainOnly = in.Flag(0, 0);
  const bool keepPort = in.Flag(0, 1);
  std::optional<int> labelCount;
  if (in.Flag(0, 2)) labelCount = static_cast<int>(in.Option(1) % 12) - 2;

  CheckHost(address, false, false, std::nullopt);
  CheckHost(address, rootDomainOnly, keepPort, labelCount);
  CheckPort(address);
  CheckPath(address);
  CheckHeader(in.Field(1));
  CheckHeader(address);
  return 0;
}
