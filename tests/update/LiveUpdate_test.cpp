// Reading an update description: encodings, defaults, the support and force rules, and TXML.
#include "update/LiveUpdate.h"
#include "UpdateFixtures.h"
#include "support/TestSupport.h"

namespace {

TLiveUpdate Loaded(const QString& current, const TAttributes& attributes) {
  TLiveUpdate live;
  live.SetCurrentVersion(GetVersion(current, u'.'));
  EXPECT_EQ(live.LoadUpdateText(DescriptionXml(attributes)), 1);
  return live;
}

TEST(LiveUpdate, ReadsEveryAttributeInItsEncoding) {
  const TAttributes everything = {{"newMajVer", "2"},
                                  {"newMinVer", "1"},
                                  {"newReleaseVer", "3"},
                                  {"newBuildVer", "40"},
                                  {"newUpdateDate", B64("2024年5月1日")},
                                  {"newDes", B64("第一行\r\n第二行")},
                                  {"newFileUrl", B64("http://host/p.zip")},
                                  {"newFileSha256", " ABCDEF01 "},
                                  {"CanDown", "1"},
                                  {"RunPram", B64("/S")},
                                  {"UpdateDataFormat", B64("exe")},
                                  {"NoUpdateUrl", B64("http://host/manual")},
                                  {"RebootForceUpdate", "1"},
                                  {"MoreSetting", "ignored"}};
  const TLiveUpdate live = Loaded("1.0.0.0", everything);
  EXPECT_EQ(live.NewVerStr(), "2.1.3.40");
  EXPECT_EQ(live.F_newUpdateDate, "2024年5月1日");
  EXPECT_EQ(live.F_newDes, "第一行\r\n第二行");
  EXPECT_EQ(live.F_newFileUrl, "http://host/p.zip");
  EXPECT_EQ(live.F_newFileSha256, "abcdef01");
  EXPECT_EQ(live.F_RunPram, "/S");
  EXPECT_EQ(live.F_UpdateDataFormat, "exe");
  EXPECT_EQ(live.F_NoUpdateUrl, "http://host/manual");
  EXPECT_TRUE(live.F_RebootForceUpdate);
  EXPECT_EQ(live.F_SupportUpdate, 1);
  EXPECT_GT(live.HaveNewVer(), 0);

  const TUpdateOffer offer = live.Offer();
  EXPECT_EQ(offer.newVersion, "2.1.3.40");
  EXPECT_EQ(offer.fileUrl, "http://host/p.zip");
  EXPECT_EQ(offer.xml, DescriptionXml(everything))
      << "the window keeps the whole description for the hand-over";
}

TEST(LiveUpdate, MissingAndUnreadableAttributesTakeTheirDefaults) {
  const TLiveUpdate live =
      Loaded("1.0.0.0", {{"newMajVer", "1a"}, {"CanDown", "true"}, {"ForceUpdate", "yes"}});
  EXPECT_EQ(live.NewVerStr(), "0.0.0.0");
  EXPECT_EQ(live.HaveNewVer(), -1111);
  EXPECT_FALSE(live.F_CanDown) << "a flag is true only for \"1\"";
  EXPECT_EQ(live.F_SupportUpdate, -1);
  EXPECT_EQ(live.F_UpdateDataFormat, "zip");
  EXPECT_EQ(live.AllowUpdateMinVer, "0.0.0.0");
  EXPECT_FALSE(live.F_ForceUpdateSoft);
  EXPECT_FALSE(live.F_RebootForceUpdate);
  EXPECT_TRUE(live.F_newFileSha256.isEmpty()) << "descriptions without a digest stay valid";
  EXPECT_TRUE(live.F_newDes.isEmpty());

  EXPECT_TRUE(Loaded("1.0.0.0", {}).F_CanDown) << "CanDown defaults to true";
}

TEST(LiveUpdate, OnlyADocumentIsRead) {
  for (const QByteArray& text : {QByteArray("not xml at all"), QByteArray("<root><list name=\"update\">"),
                                 QByteArray("<html><body>404</body>"), QByteArray()}) {
    TLiveUpdate live;
    EXPECT_EQ(live.LoadUpdateText(text), 0) << text.constData();
  }
  // A document without the element reads as all defaults: nothing newer.
  TLiveUpdate live;
  EXPECT_EQ(live.LoadUpdateText("<?xml version=\"1.0\"?><root><list name=\"other\" newMajVer=\"9\"/></root>"),
            1);
  EXPECT_EQ(live.HaveNewVer(), 0);
}

TEST(SupportUpdate, LowestAllowedVersionAndCanDown) {
  struct Row {
    const char* current;
    const char* allowMin;
    bool canDown;
    int expected;
  };
  const Row rows[] = {
      {"1.5.0.0", "2.0.0.0", true, 0},  // below the lowest allowed: manual download only
      {"1.5.0.0", "1.5.0.0", true, 1},
      {"1.5.0.0", "0.0.0.0", false, -1},
      {"1.5.0.0", "1.5.0.0.1", true, 1},  // unreadable: not "above 0", so allowed
  };
  for (const Row& row : rows)
    EXPECT_EQ(SupportUpdateOf(row.current, row.allowMin, row.canDown), row.expected)
        << row.current << " " << row.allowMin;

  EXPECT_EQ(Loaded("1.5.0.0", {{"AllowUpdateMinVer", "2.0.0.0"}}).F_SupportUpdate, 0);
}

TEST(ForceRule, BothEndsIncludedAndOnlyTwoPartLines) {
  const QString rule = QStringLiteral("1.0.0.0-1.5.0.0");
  EXPECT_TRUE(ForceRuleCovers(rule, "1.0.0.0"));
  EXPECT_TRUE(ForceRuleCovers(rule, "1.5.0.0"));
  EXPECT_TRUE(ForceRuleCovers(rule, "1.2.0.0"));
  EXPECT_FALSE(ForceRuleCovers(rule, "1.5.0.1"));
  EXPECT_FALSE(ForceRuleCovers(rule, "0.9.9.9"));
  EXPECT_FALSE(ForceRuleCovers("1.0.0.0-1.2.0.0-1.5.0.0", "1.1.0.0"))
      << "a line with two dashes covers nothing";
  EXPECT_FALSE(ForceRuleCovers("1.0.0.0", "1.0.0.0"));
  EXPECT_FALSE(ForceRuleCovers("", "1.0.0.0"));
  // Any line break; the first covering line decides.
  EXPECT_TRUE(ForceRuleCovers("3.0-4.0\r\n0.1-0.2\r1.0-1.1\n9-9", "1.1.0.0"));
}

TEST(ForceRule, ForcedOnlyWhenTheFlagIsSetAndARuleCovers) {
  const QString rule = B64("1.0.0.0-1.5.0.0");
  EXPECT_TRUE(Loaded("1.2.0.0", {{"ForceUpdate", "1"}, {"ForceUpdateRule", rule}}).F_ForceUpdateSoft);
  EXPECT_FALSE(Loaded("1.2.0.0", {{"ForceUpdate", "0"}, {"ForceUpdateRule", rule}}).F_ForceUpdateSoft);
  EXPECT_FALSE(Loaded("1.6.0.0", {{"ForceUpdate", "1"}, {"ForceUpdateRule", rule}}).F_ForceUpdateSoft);
}

TEST(TXML, NewDocumentSelectAndReadBack) {
  TXML xml;
  EXPECT_EQ(xml.ToText(), "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<root/>");
  TXmlElement& a = xml.SelectList("id", "a");
  a.WriteText("Value", "x & \"y\" <z>");
  a.WriteBase64("B", "中文");
  EXPECT_EQ(&xml.SelectList("id", "a"), &a) << "an existing element is selected, not added";
  xml.SelectList("id", "b").WriteText("Value", "2");

  TXML back;
  ASSERT_TRUE(back.LoadFromText(xml.ToText()));
  const TXmlElement* readA = back.FindList("id", "a");
  ASSERT_NE(readA, nullptr);
  EXPECT_EQ(readA->ReadText("Value"), "x & \"y\" <z>");
  EXPECT_EQ(readA->ReadBase64("B"), "中文");
  EXPECT_EQ(back.FindList("id", "b")->ReadInteger("Value", 0), 2);
  EXPECT_EQ(back.FindList("id", "b")->ReadInteger("Missing", 7), 7);

  EXPECT_FALSE(back.LoadFromText("<root><list"));
  EXPECT_EQ(back.ToText(), TXML().ToText()) << "a failed load leaves the empty document";
}

}  // namespace
