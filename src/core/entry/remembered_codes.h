#pragma once
// Codes the entry form remembers: the number a union industry category code is remembered as by
// its name control, and the cover values kept in the settings for the next new record.

#include <string>
#include <string_view>

namespace velmora::entry {

// "A01" → 101, "Z00" → 2600: (character code of the letter − 64) × 100 + the two-digit number.
// -1 when the text is not a letter followed by two digits.
int UnionDomainCodeNumber(std::string_view code);
// 101 → "A01": the letter with character code c div 100 + 64 and c mod 100 with two digits; empty
// for numbers below 100 or that name no letter A–Z.
std::string UnionDomainCodeText(int number);

// Where the industry-category picker starts: the section letter and the category number; an
// empty code gives no letter and 0.
struct UnionDomainStart {
  std::string section;
  int category = 0;
};
UnionDomainStart SplitUnionDomainCode(std::string_view code);

// The values a new record starts from: the last division code ("AppLastCity", settings key) and
// the last filler and telephone ("c910", "c911", data key), as written after each formal save.
struct RememberedCover {
  int AppLastCity = 0;
  std::string c910;
  std::string c911;
};
RememberedCover ReadRememberedCover();
// Throws settings::SettingsError when the store refuses.
void WriteRememberedCover(const RememberedCover& values);

}  // namespace velmora::entry
