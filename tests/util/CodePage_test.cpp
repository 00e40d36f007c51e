// The ANSI/OEM code pages (CP936 unless the environment says otherwise) and the names on disk.
#include "util/CodePage.h"
#include "support/TestSupport.h"
#include "util/DiskNames.h"

namespace {

TEST(CodePage, Cp936RoundTripsChineseAndReplacesTheRest) {
  const TCodePage gbk("CP936");
  const QString chinese = QString::fromUtf8("压缩包说明.txt");
  EXPECT_EQ(gbk.fromUnicode(QString::fromUtf8("中")), QByteArray("\xD6\xD0"));
  EXPECT_EQ(gbk.toUnicode(gbk.fromUnicode(chinese)), chinese);
  EXPECT_TRUE(gbk.roundTrips(chinese));
  EXPECT_EQ(gbk.fromUnicode(QString::fromUtf8("a\U0001F600\u0E01b")), QByteArray("a??b"))
      << "one '?' per character";
  EXPECT_FALSE(gbk.roundTrips(QString::fromUtf8("\u0E01")));
  const QChar loneHigh[] = {QChar(0xD800), QChar('a'), QChar('b')};
  EXPECT_EQ(gbk.fromUnicode(QString(loneHigh, 3)), QByteArray("?ab")) << "a lone surrogate is one unit";
  EXPECT_EQ(gbk.toUnicode(QByteArray("ab\xD6")), "ab?") << "a lead byte cut off at the end";
  EXPECT_EQ(gbk.toUnicode({}), "");
  EXPECT_EQ(TCodePage("CP437").toUnicode("\x81"), QString::fromUtf8("ü"));
}

TEST(CodePage, StrictDecodingRefusesWhatThePageDoesNotDefine) {
  const TCodePage gbk("CP936");
  EXPECT_EQ(gbk.toUnicodeExact("\xC4\xE3\xBA\xC3.txt"), QString::fromUtf8("你好.txt"));
  EXPECT_EQ(gbk.toUnicodeExact(""), QString());
  EXPECT_FALSE(gbk.toUnicodeExact("\xFF").has_value());
  EXPECT_FALSE(gbk.toUnicodeExact("ab\xD6").has_value()) << "a lead byte cut off at the end";
}

// Names on disk are bytes: UTF-8 as Linux writes them, the ANSI code page as a Windows system
// wrote them on a shared disk, and bytes that are neither kept readable, never as U+FFFD.
TEST(DecodeDiskName, Utf8ThenAnsiCodePageThenEscapedBytes) {
  const struct {
    QByteArray bytes;
    QString expected;
  } cases[] = {
      {"plain.txt", "plain.txt"},
      {"a\xF0\x9F\x98\x80"
       "b.txt",
       QString::fromUtf8("a😀b.txt")},
      {"x\xF0\xA0\x80\x80"
       "1.txt",
       QString::fromUtf8("x𠀀1.txt")},
      {"\xC4\xE3\xBA\xC3.txt", QString::fromUtf8("你好.txt")},
      {"bad\xFF\x80.txt", "bad%FF%80.txt"},
      {"\xE4\xB8\xAD\xFF.txt", QString::fromUtf8("中%FF.txt")},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeDiskName(c.bytes), c.expected) << c.bytes.toHex().constData();
    EXPECT_FALSE(DecodeDiskName(c.bytes).contains(QChar::ReplacementCharacter));
  }
}

}  // namespace
