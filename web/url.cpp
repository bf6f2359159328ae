#include "web/url.h"

namespace web {
namespace {

// The host part as the scheme markers delimit it: what stands between the
// scheme and the first "/" after it.
Text PlainHostPart(Text work, bool rootDomainOnly) {
  if (!work.ends_with('/')) work += '/';
  Text host;
  if (work.starts_with("https://")) {
    host = GetMiddleText(work, "https://", "/");
  } else {
    if (FindText(work, "http://") == -1) work.insert(0, "http://");
    host = GetMiddleText(work, "http://", "/");
  }
  if (rootDomainOnly) {
    const TextList labels = SplitText(host, ".");
    if (labels.size() >= 2) host = labels[labels.size() - 2] + "." + labels.back();
  }
  return host;
}

// Keeps the last labelCount+1 labels (root domain only) or labelCount+2.
Text CountedHostPart(Text work, bool rootDomainOnly, int labelCount) {
  work = RemoveText(work, "http://");
  work = RemoveText(work, "https://");
  const int slash = FindText(work, "/");
  if (slash != -1) work.resize(static_cast<std::size_t>(slash - 1));

  const int length = static_cast<int>(work.size());
  int p = length;
  for (int i = 0; i < labelCount; ++i) p = FindLastText(work, ".", p);
  const int d = FindLastText(work, ".", p);
  const auto after = [&work](int position) {
    return position == -1 ? work : work.substr(static_cast<std::size_t>(position));
  };
  if (rootDomainOnly) return after(d);
  if (d == -1) return work;
  return after(FindLastText(work, ".", d));
}

} // namespace

Text HostOfUrl(std::string_view address, bool rootDomainOnly, bool keepPort, std::optional<int> labelCount) {
  const Text work = LowerAscii(address);
  const Text host =
      labelCount ? CountedHostPart(work, rootDomainOnly, *labelCount) : PlainHostPart(work, rootDomainOnly);
  if (keepPort) return host;
  const int colon = FindText(host, ":");
  return colon == -1 ? host : host.substr(0, static_cast<std::size_t>(colon - 1));
}

int PortOfUrl(std::string_view address) {
  const Text host = HostOfUrl(address, false, true);
  const int colon = FindLastText(host, ":");
  if (colon == -1) return LowerAscii(address).starts_with("https") ? 443 : 80;
  return TextToInt(std::string_view(host).substr(static_cast<std::size_t>(colon)));
}

Text PathOfUrl(std::string_view address) {
  const Text host = HostOfUrl(address);
  // The host is looked for after the scheme that delimited it: a host such as
  // "p" or "tp" would otherwise be found inside "http://" itself and the path
  // would start at the scheme's slashes.
  const Text lower = LowerAscii(address);
  int from = 1;
  if (lower.starts_with("https://")) {
    from = 9;
  } else if (const int scheme = FindText(lower, "http://"); scheme != -1) {
    from = scheme + 7;
  }
  const int hostAt = FindText(address, host, from, true);
  const int slash = FindText(address, "/", hostAt == -1 ? from : hostAt, true);
  if (slash == -1) return "/";
  return Text(address.substr(static_cast<std::size_t>(slash - 1)));
}

Text HeaderName(std::string_view line) {
  const int colon = FindText(line, ":");
  if (colon == -1) return {};
  return TrimSpaces(line.substr(0, static_cast<std::size_t>(colon - 1)));
}

Text HeaderValue(std::string_view line) {
  const int colon = FindText(line, ":");
  if (colon == -1) return {};
  return TrimSpaces(line.substr(static_cast<std::size_t>(colon)));
}

} // namespace web
