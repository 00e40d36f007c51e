#include <gtest/gtest.h>

#include "MessageRecorder.h"
#include "support/TestSupport.h"

TEST(MessageBox, TheHandlerAnswersWithTheDefaultTitleAndIcons) {
  TMessageRecorder recorder;
  msgbox::Info(nullptr, QStringLiteral("a"));
  msgbox::Warning(nullptr, QStringLiteral("b"), QStringLiteral("t"));
  EXPECT_TRUE(msgbox::Confirm(nullptr, QStringLiteral("c")));
  recorder.SetAnswer(QMessageBox::Cancel);
  EXPECT_FALSE(msgbox::Confirm(nullptr, QStringLiteral("d")));

  ASSERT_EQ(recorder.messages().size(), 4);
  EXPECT_EQ(recorder.texts(), (QStringList{"a", "b", "c", "d"}));
  EXPECT_EQ(recorder.messages()[0].title, QStringLiteral("提示"));
  EXPECT_EQ(recorder.messages()[0].icon, QMessageBox::Information);
  EXPECT_EQ(recorder.messages()[1].title, QStringLiteral("t"));
  EXPECT_EQ(recorder.messages()[1].icon, QMessageBox::Warning);
  EXPECT_EQ(recorder.messages()[2].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  EXPECT_EQ(recorder.messages()[2].icon, QMessageBox::Information);
}
