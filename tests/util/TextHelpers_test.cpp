// Text helpers and the Base64 form of stored passwords.
#include "util/TextHelpers.h"
#include "support/TestSupport.h"
#include "util/Base64.h"
#include "util/CodePage.h"

namespace {

TEST(FlagText, OnlyExactlyOneIsTrue) {
  EXPECT_EQ(BoolToFlagText(true), "1");
  EXPECT_EQ(BoolToFlagText(false), "0");
  EXPECT_TRUE(FlagTextToBool("1"));
  for (const char* text : {"0", "", " 1", "1 ", "01", "true", "True", "yes"})
    EXPECT_FALSE(FlagTextToBool(text)) << text;
}

TEST(SplitText, KeepsEmptyItemsButNotAnEmptyText) {
  EXPECT_EQ(SplitText("", "."), QStringList());
  EXPECT_EQ(SplitText("4.0.1", "."), QStringList({"4", "0", "1"}));
  EXPECT_EQ(SplitText("a,", ","), QStringList({"a", ""}));
  EXPECT_EQ(SplitText(",a", ","), QStringList({"", "a"}));
  EXPECT_EQ(SplitText("a<>b<>", "<>"), QStringList({"a", "b", ""}));
  EXPECT_EQ(SplitText("a.b", ""), QStringList({"a.b"}));
  EXPECT_EQ(SplitText("a.b", "x"), QStringList({"a.b"}));
}

TEST(TrimSuffix, OnceOrAll) {
  EXPECT_EQ(TrimSuffix("abc//", "/", false), "abc/");
  EXPECT_EQ(TrimSuffix("abc//", "/", true), "abc");
  EXPECT_EQ(TrimSuffix("///", "/", true), "");
  EXPECT_EQ(TrimSuffix("abc", "", true), "abc");
  EXPECT_EQ(TrimSuffix("abab", "ab", true), "");
  EXPECT_EQ(TrimSuffix("abc", "B", true), "abc") << "exact comparison";
}

TEST(LeftMidText, CountsAndOneBasedStart) {
  EXPECT_EQ(LeftText("abc", 5), "abc");
  EXPECT_EQ(LeftText("abc", 2), "ab");
  EXPECT_EQ(MidText("abc", 2, 5), "");
  EXPECT_EQ(MidText("abc", 2, 2), "bc");
  EXPECT_EQ(MidText("abc", 1, 1), "a");
  EXPECT_EQ(MidText("abc", 4, 0), "");
}

TEST(LastPosOf, CountsFromTheEndWithOverlaps) {
  EXPECT_EQ(LastPosOf("a.b.c", ".", 1), 4);
  EXPECT_EQ(LastPosOf("a.b.c", ".", 2), 2);
  EXPECT_EQ(LastPosOf("a.b.c", ".", 3), 0);
  EXPECT_EQ(LastPosOf("aaaa", "aa", 1), 3);
  EXPECT_EQ(LastPosOf("aaaa", "aa", 2), 2) << "overlapping occurrences count";
  EXPECT_EQ(LastPosOf("aaaa", "aa", 3), 1);
  EXPECT_EQ(LastPosOf("aaaa", "aa", 4), 0);
  EXPECT_EQ(LastPosOf("abc", "", 1), 0);
  EXPECT_EQ(LastPosOf("abc", "x", 1), 0);
}

TEST(IntegerText, DelphiRules) {
  struct Case {
    const char* text;
    bool valid;
    int value;
  };
  const Case cases[] = {
      {"7", true, 7},
      {"a", false, 0},
      {" 12", true, 12},
      {"12 ", false, 0},
      {"-", false, 0},
      {"", false, 0},
      {"$1F", true, 31},
      {"0x1f", true, 31},
      {"X10", true, 16},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0},
      {"0x", false, 0},
      {"$", false, 0},
      {"+5", true, 5},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"-2147483648", true, -2147483647 - 1},
      {"-2147483649", false, 0},
      {"1.5", false, 0},
      {"１", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    bool ok = !c.valid;
    const int value = ParseIntegerText(QString::fromUtf8(c.text), &ok);
    EXPECT_EQ(ok, c.valid) << c.text;
    EXPECT_EQ(IsIntegerText(QString::fromUtf8(c.text)), c.valid) << c.text;
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
  for (char16_t u = 0; u < 0x80; ++u)
    EXPECT_EQ(IsIntegerText(QString(QChar(u))), u >= '0' && u <= '9') << int(u);
}

TEST(FloatText, UsesTheGivenDecimalSeparator) {
  for (const char* text : {"1", "1.5", "-1.5", "+.5", "1.", "1e5", "1.5E-3", " 2.5 "})
    EXPECT_TRUE(IsFloatText(text, u'.')) << text;
  for (const char* text : {"", ".", "-", "1e", "1.5.2", "1,5", "abc", "1 2", "e5"})
    EXPECT_FALSE(IsFloatText(text, u'.')) << text;
  EXPECT_TRUE(IsFloatText("1,5", u','));
  EXPECT_FALSE(IsFloatText("1.5", u','));
}

TEST(Base64Text, EncodesTheAnsiBytes) {
  EXPECT_EQ(Base64EncodeText(""), "");
  EXPECT_EQ(Base64DecodeText(""), "");
  EXPECT_EQ(Base64EncodeText("secret"), "c2VjcmV0");
  EXPECT_EQ(Base64DecodeText("c2VjcmV0"), "secret");
  const QString chinese = QString::fromUtf8("密码");
  EXPECT_EQ(Base64EncodeText(chinese), QString::fromLatin1(ToAnsi(chinese).toBase64()));
  EXPECT_EQ(Base64DecodeText(Base64EncodeText(chinese)), chinese);
  // Characters the code page lacks come back as question marks.
  EXPECT_EQ(Base64DecodeText(Base64EncodeText(QString::fromUtf8("pw\U0001F600\u0E01"))), "pw??");
}

TEST(Base64Text, InvalidTextFromAHandEditedFileDecodesToEmpty) {
  for (const char* text : {"c2VjcmV0!", "c2Vj\xC3\xA9", "@@@@", "c2VjcmV0=="})
    EXPECT_EQ(Base64DecodeText(QString::fromUtf8(text)), "") << text;
}

}  // namespace
