#include <gtest/gtest.h>

#include "common/code_page_win.h"
#include "common/wide_text.h"

namespace bex {
namespace {

// The ANSI functions turn names code page 932 cannot hold into look-alikes
// ("best fit": é -> e) or into "?": such a name would
// name another file. None of them may get a code-page-932 form.
TEST(ExactCp932, NamesCodePage932CannotHoldHaveNoForm) {
  const std::wstring lossy[] = {
      L"caf\u00e9.bmp",       // é: best fit would give cafe.bmp
      L"\ud55c\uae00.bmp",    // Hangul: "?"
      L"\U0001F600.bmp",      // beyond U+FFFF
      L"\u00c5ngstr\u00f6m",  // Å, ö
      L"\u00e0 la carte",     // à: best fit would give a
  };
  for (const std::wstring& name : lossy) EXPECT_FALSE(ExactCp932(name)) << WideToUtf8(name);
}

TEST(ExactCp932, NamesItHoldsKeepTodaysBytes) {
  EXPECT_EQ(ExactCp932(L"cafe.bmp"), "cafe.bmp");
  EXPECT_EQ(ExactCp932(L"\u4e88\u5b9a.bmp"), "予定.bmp");
  EXPECT_EQ(ExactCp932(L"\u8868"), "\x95\x5C");
  EXPECT_EQ(ExactCp932(L"\uff76\uff85"), "\xB6\xC5");  // half-width katakana
  EXPECT_EQ(ExactCp932(L"\u2460"), "\x87\x40");        // ①, a character of its own here
  EXPECT_EQ(ExactCp932(L""), "");
  EXPECT_EQ(FromCp932("予定.bmp"), L"\u4e88\u5b9a.bmp");
  EXPECT_EQ(FromCp932("\x95\x5C"), L"\u8868");
}

}  // namespace
}  // namespace bex
