// The argument vector of a plug-in run and the judgement of its exit code.
#include <gtest/gtest.h>

#include "compress/plugin/PluginCommand.h"

namespace {

struct ArgumentCase {
  const char* label;
  QString uncompressTemplate;
  TPluginValues values;
  QStringList expected;
};

const TPluginValues kPlain{"/in/a.tar", "/out", "secret"};

TEST(PluginArguments, TemplateIsSplitBeforeValuesAreInserted) {
  const ArgumentCase cases[] = {
      {"quoted placeholders",
       R"(-x -f "{file}" -C "{dir}")",
       kPlain,
       {"-x", "-f", "/in/a.tar", "-C", "/out"}},
      {"any letter case", "{FILE} {Dir} -p{PwD}", kPlain, {"/in/a.tar", "/out", "-psecret"}},
      {"every occurrence", "{file}:{file}", kPlain, {"/in/a.tar:/in/a.tar"}},
      {"quotes in the template group", R"(x "-o{dir}" "--name=a b")", kPlain, {"x", "-o/out", "--name=a b"}},
      {"switch with no password", "x -p{pwd} {file}", {"/a", "/o", ""}, {"x", "-p", "/a"}},
      {"lone placeholder with no value vanishes", "x {pwd} {file}", {"/a", "/o", ""}, {"x", "/a"}},
      // A quoted empty value stays one empty argument, so later positional arguments keep their place.
      {"quoted placeholder with no value stays", R"(x "{pwd}" "{file}")", {"/a", "/o", ""}, {"x", "", "/a"}},
      {"quoted empty text stays", R"(x "" {file})", {"/a", "/o", ""}, {"x", "", "/a"}},
      {"placeholder beside quotes with no value stays",
       R"(x {pwd}"" {file})",
       {"/a", "/o", ""},
       {"x", "", "/a"}},
      {"spaces, quotes and shell characters stay one argument",
       R"(-f {file} -C {dir} -p{pwd})",
       {R"(/tmp/a b"; touch x; ".tar)", "/out dir/$(touch y)", R"(p w"d`rm -rf ~`)"},
       {"-f", R"(/tmp/a b"; touch x; ".tar)", "-C", "/out dir/$(touch y)", R"(-pp w"d`rm -rf ~`)"}},
      {"a value is never searched for placeholders",
       "{file} {dir}",
       {"/in/{dir}{pwd}.tar", "/out/{FILE}", "pw"},
       {"/in/{dir}{pwd}.tar", "/out/{FILE}"}},
      {"unknown braces are kept", "{x} {fil} {file", kPlain, {"{x}", "{fil}", "{file"}},
      {"empty template", "", kPlain, {}},
  };
  for (const ArgumentCase& c : cases)
    EXPECT_EQ(PluginArguments(c.uncompressTemplate, c.values), c.expected) << c.label;
}

TEST(PluginExitCode, ComparedAsUnsigned32BitNumber) {
  struct Case {
    int exitCode;
    int expected;
    bool success;
  };
  const Case cases[] = {
      {0, 0, true},     {1, 0, false},   {0, 1, false}, {3, 3, true},
      {255, 255, true}, {-1, -1, false},  // could not be started: never a success, whatever is expected
      {-2, -2, false},                    // a negative expectation never matches
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsExpectedExitCode(c.exitCode, c.expected), c.success) << c.exitCode << " vs " << c.expected;
}

}  // namespace
