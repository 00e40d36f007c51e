// The packer's argument vectors, exactly: each row is one command line as the packer must see it.
#include <gtest/gtest.h>

#include "compress/rar/RarCommandLine.h"

TEST(RarCommandLine, AddArguments) {
  const struct {
    const char* label;
    QStringList sources;
    bool lock;
    QString password;
    QString comment;
    QStringList expected;
    QString exclusionList = {};
  } cases[] = {
      {"plain", {"/w/1/*"}, false, {}, {}, {"a", "-r", "-EP1", "/out/x.rar", "/w/1/*"}},
      {"locked while creating", {"/w/1/*"}, true, {}, {}, {"a", "-r", "-k", "-EP1", "/out/x.rar", "/w/1/*"}},
      {"password last, one argument",
       {"/w/1/*"},
       false,
       "pw",
       {},
       {"a", "-r", "-EP1", "/out/x.rar", "/w/1/*", "-ppw"}},
      {"both", {"/w/1/*"}, true, "pw", {}, {"a", "-r", "-k", "-EP1", "/out/x.rar", "/w/1/*", "-ppw"}},
      {"spaces and quotes kept",
       {"/w/1/*"},
       false,
       R"(a "b" c\)",
       {},
       {"a", "-r", "-EP1", "/out/x.rar", "/w/1/*", R"(-pa "b" c\)"}},
      {"password that looks like a switch",
       {"/w/1/*"},
       false,
       "-r -k",
       {},
       {"a", "-r", "-EP1", "/out/x.rar", "/w/1/*", "-p-r -k"}},
      {"a whole output: two sources, comment, lock and password",
       {"/w/1/*", "/data/Must Files/*"},
       true,
       "pw",
       "/tmp/my comment.txt",
       {"a", "-r", "-k", "-EP1", "-z/tmp/my comment.txt", "/out/x.rar", "/w/1/*", "/data/Must Files/*",
        "-ppw"}},
      {"links to leave out, after the comment",
       {"/w/1/*"},
       true,
       "pw",
       "/tmp/c.txt",
       {"a", "-r", "-k", "-EP1", "-z/tmp/c.txt", "-x@/tmp/hm-exclude 1.lst", "/out/x.rar", "/w/1/*", "-ppw"},
       "/tmp/hm-exclude 1.lst"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(RarAddArguments("/out/x.rar", c.sources, c.lock, c.password, c.comment, c.exclusionList),
              c.expected);
  }
}

// Each link a line ending in '/', the one form the packer matches exactly whatever the name ends
// in (it trims blanks at the end of a line); a wildcard below the folder would match other
// folders too, and a line break would split the line.
TEST(RarCommandLine, FolderExclusions) {
  const QByteArray root = "/w/a?b";
  const struct {
    const char* label;
    std::vector<QByteArray> links;
    std::optional<QByteArray> expected;
  } cases[] = {
      {"none", {}, QByteArray()},
      {"loops and a linked folder",
       {"/w/a?b/self", "/w/a?b/sub/up", "/w/a?b/ends in blanks \t"},
       QByteArray("/w/a?b/self/\n/w/a?b/sub/up/\n/w/a?b/ends in blanks \t/\n")},
      {"names as bytes", {"/w/a?b/\xC4\xE3 #;-x@"}, QByteArray("/w/a?b/\xC4\xE3 #;-x@/\n")},
      {"star in the name", {"/w/a?b/self", "/w/a?b/st*r"}, std::nullopt},
      {"question mark in a folder below", {"/w/a?b/d?r/up"}, std::nullopt},
      {"line feed", {"/w/a?b/x\ny"}, std::nullopt},
      {"carriage return", {"/w/a?b/x\r"}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(RarFolderExclusions(root, c.links), c.expected);
  }
}

TEST(RarCommandLine, CommentAndLockArguments) {
  EXPECT_EQ(RarCommentArguments("/data/Comment.txt", "/out/my file.rar"),
            QStringList({"c", "-z/data/Comment.txt", "/out/my file.rar"}));
  // No comment file set: the switch carries an empty name and the packer fails the run.
  EXPECT_EQ(RarCommentArguments({}, "/out/x.rar"), QStringList({"c", "-z", "/out/x.rar"}));
  EXPECT_EQ(RarLockArguments("/out/x y.rar"), QStringList({"k", "/out/x y.rar"}));
  EXPECT_EQ(RarListArguments("/out/x y.rar"), QStringList({"lt", "-c-", "-p-", "/out/x y.rar"}));
  // Testing never asks: without a password the packer is told there is none.
  EXPECT_EQ(RarTestArguments("/out/x y.rar", {}), QStringList({"t", "-p-", "/out/x y.rar"}));
  EXPECT_EQ(RarTestArguments("/out/x.rar", "p w\"1"), QStringList({"t", "-pp w\"1", "/out/x.rar"}));
}

// The technical listing as the packer prints it: its banner, the archive, then one record per
// entry. Names keep blanks, line breaks and the bytes of names that were not UTF-8.
TEST(RarCommandLine, ListingNames) {
  const QByteArray banner =
      "\nRAR 7.01   Copyright (c) 1993-2024 Alexander Roshal   12 May 2024\n"
      "Trial version             Type 'rar -?' for help\n\n";
  const auto record = [](const QByteArray& name, const char* type = "File") {
    return "        Name: " + name + "\n        Type: " + type +
           "\n        Size: 1\n       mtime: 2024-06-11 12:00:00,000000000\n     Host OS: Unix\n\n";
  };
  const QByteArray head = banner + "Archive: /out/Name: x.rar\nDetails: RAR 5, lock\n\n";
  const struct {
    const char* label;
    QByteArray output;
    std::optional<QStringList> expected;
  } cases[] = {
      {"plain names and a folder", head + record("a.txt") + record("sub/b.txt") + record("sub", "Directory"),
       QStringList{"a.txt", "sub/b.txt", "sub"}},
      {"blanks kept", head + record("  lead and trail  "), QStringList{"  lead and trail  "}},
      {"a name with a line break", head + record("line\nbreak") + record("next"),
       QStringList{"line\nbreak", "next"}},
      {"an escape character", head + record("esc'\\033'[31m"), QStringList{"esc\x1b[31m"}},
      {"bytes that were not UTF-8, as rar maps them",
       head + record("bad\xEF\xBF\xBE\xEE\x83\xBF.txt") +
           record("gbk\xEF\xBF\xBE\xEE\x83\x84\xEE\x83\xA3.txt"),
       QStringList{"bad%FF.txt", QString::fromUtf8("gbk\xE4\xBD\xA0.txt")}},
      {"an archive without entries", head, QStringList{}},
      {"no archive at all", banner, std::nullopt},
      {"cut inside a record", head + "        Name: a.txt\n", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ParseRarListing(c.output), c.expected);
  }
}

TEST(RarCommandLine, Source) {
  const struct {
    QString rarDir;
    bool isFolder;
    QString expected;
  } cases[] = {
      {"/tmp/work/1/", true, "/tmp/work/1/*"},
      {"/tmp/work/1", true, "/tmp/work/1/*"},
      {"/data/MustFiles/", true, "/data/MustFiles/*"},
      {"/data/MustFiles/", false, "/data/MustFiles"},  // missing: stays a path; the packer finds nothing
      {"/tmp/one file.txt", false, "/tmp/one file.txt"},
      {"/tmp/work//", true, "/tmp/work//*"},  // only one trailing separator is dropped
  };
  for (const auto& c : cases)
    EXPECT_EQ(RarSource(c.rarDir, c.isFolder), c.expected) << c.rarDir.toStdString();
}

TEST(RarCommandLine, OnlyExitCodeZeroSucceeds) {
  for (int code : {1, 2, 4, 6, 7, 10, 11, 255, -1}) EXPECT_FALSE(RarRunSucceeded(code)) << code;
  EXPECT_TRUE(RarRunSucceeded(0));
}
