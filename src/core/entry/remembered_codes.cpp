#include "core/entry/remembered_codes.h"

#include <cstdio>
#include <cstdlib>

#include "core/settings/settings.h"

namespace velmora::entry {

int UnionDomainCodeNumber(std::string_view code) {
  if (code.size() != 3) return -1;
  char letter = code[0];
  if (letter < 'A' || letter > 'Z') return -1;
  for (char d : code.substr(1))
    if (d < '0' || d > '9') return -1;
  return (letter - 64) * 100 + (code[1] - '0') * 10 + (code[2] - '0');
}

std::string UnionDomainCodeText(int number) {
  if (number < 100) return std::string();
  int letter = number / 100 + 64;
  if (letter < 'A' || letter > 'Z') return std::string();
  char text[8];
  std::snprintf(text, sizeof text, "%c%02d", static_cast<char>(letter), number % 100);
  return text;
}

UnionDomainStart SplitUnionDomainCode(std::string_view code) {
  if (code.empty()) return {};
  UnionDomainStart start;
  start.section = std::string(code.substr(0, 1));
  std::string rest(code.substr(1));
  start.category = rest.empty() ? 0 : std::atoi(rest.c_str());
  return start;
}

RememberedCover ReadRememberedCover() {
  using namespace settings;
  RememberedCover r;
  r.AppLastCity = RegReadInteger("AppLastCity", 0, RegRoot::CurrentUser, kEnvSettingKey);
  r.c910 = RegReadString("c910", "", RegRoot::CurrentUser, kDataKey);
  r.c911 = RegReadString("c911", "", RegRoot::CurrentUser, kDataKey);
  return r;
}

void WriteRememberedCover(const RememberedCover& values) {
  using namespace settings;
  RegWriteInteger("AppLastCity", values.AppLastCity, RegRoot::CurrentUser, kEnvSettingKey);
  RegWriteString("c910", values.c910, RegRoot::CurrentUser, kDataKey);
  RegWriteString("c911", values.c911, RegRoot::CurrentUser, kDataKey);
}

}  // namespace velmora::entry
