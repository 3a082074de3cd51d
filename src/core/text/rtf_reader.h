#pragma once
// A reader for the rich text of the page notes: the small part of RTF that the notes files use,
// turned into HTML for a text browser.
//
//   std::string html = text::RtfToHtml(bytesOfTheFile);
//
// Understood: paragraphs (\par, \pard, \line, \tab, alignment \ql \qc \qr, spacing \sbN \saN,
// indents \liN \fiN), character formats (\b \i \ul with their 0 forms, \fsN, \cfN over the
// \colortbl, \plain), \uN with its fallback skipped (\ucN), \'hh bytes in the Chinese (GBK)
// code page, the escaped \{ \} \\, and groups. Font tables, style sheets, document information,
// pictures and every \* destination are passed over. Text that is not RTF gives an empty result;
// a damaged file gives what could be read before and around the damage.

#include <string>
#include <string_view>

namespace velmora::text {

std::string RtfToHtml(std::string_view rtf);

}  // namespace velmora::text
