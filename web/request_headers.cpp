#include "web/request_headers.h"

#include "web/inet_request.h"

namespace web {
namespace {

void AddUnlessPresent(Text& block, std::string_view name, std::string_view value) {
  const Text marker = Text(name) + ":";
  if (FindText(block, marker) != -1) return;
  block += "\r\n";
  block += marker;
  block += " ";
  block += value;
}

} // namespace

const char* VerbOf(int method) {
  switch (method) {
  case MethodPost: return "POST";
  case MethodHead: return "HEAD";
  default: return "GET";
  }
}

void CompleteHeaderBlock(Text& block, std::string_view address, bool withAgent) {
  if (block.empty()) {
    block = "Accept: */*";
  } else {
    AddUnlessPresent(block, "Accept", "*/*");
  }
  AddUnlessPresent(block, "Referer", address);
  AddUnlessPresent(block, "Accept-Language", "zh-cn");
  if (withAgent) AddUnlessPresent(block, "User-Agent", DefaultAgent);
  AddUnlessPresent(block, "Content-Type", "application/x-www-form-urlencoded");
}

} // namespace web
