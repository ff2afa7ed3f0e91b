#include "settings/ini_document.h"

#include <gtest/gtest.h>

namespace volmaru::settings {
namespace {

std::optional<std::string> Get(std::string_view file, std::string_view section, std::string_view key) {
  return IniDocument::Parse(file).Get(section, key);
}

TEST(IniReadTest, NamesMatchWithoutCaseAndSpacesAreTrimmed) {
  const std::string f = "[KeyBoad]\r\n  MainkeyOnly \t=\t 0  \r\n[volumebar]\r\nShowTime=5\r\n";
  EXPECT_EQ(Get(f, "KeyBoad", "MainKeyOnly"), "0");
  EXPECT_EQ(Get(f, "KEYBOAD", "mainkeyonly"), "0");
  EXPECT_EQ(Get(f, "VolumeBar", "ShowTime"), "5");
  EXPECT_EQ(Get(f, " VolumeBar ", " ShowTime "), "5");  // the caller's names are trimmed too
  EXPECT_EQ(Get(f, "VolumeBar", "Position"), std::nullopt);
  EXPECT_EQ(Get(f, "Icon", "Color"), std::nullopt);
}

TEST(IniReadTest, SpacesInsideTheBracketsAreNotPartOfTheName) {
  const std::string f = "[ T ]\r\nk=1\r\n";
  EXPECT_EQ(Get(f, "T", "k"), "1");
  EXPECT_EQ(IniDocument::Parse(f).Keys("T"), std::vector<std::string>{"k"});
  // Listing keys takes the caller's name as it is.
  EXPECT_TRUE(IniDocument::Parse(f).Keys(" T ").empty());
}

TEST(IniReadTest, FirstOfDuplicateSectionsAndKeysWins) {
  const std::string f = "[A]\nk=1\nk=2\n[B]\nx=9\n[a]\nk=3\nonly=4\n";
  EXPECT_EQ(Get(f, "A", "k"), "1");
  // Only the first section of a name is searched.
  EXPECT_EQ(Get(f, "A", "only"), std::nullopt);
}

TEST(IniReadTest, QuotesAreRemovedOnlyWhenTheyMatch) {
  const std::string f = "[S]\na=\"x y\"\nb='z'\nc=\"x'\nd=\"\ne=\"\"\nf=\"a\"b\"\n";
  EXPECT_EQ(Get(f, "S", "a"), "x y");
  EXPECT_EQ(Get(f, "S", "b"), "z");
  EXPECT_EQ(Get(f, "S", "c"), "\"x'");
  EXPECT_EQ(Get(f, "S", "d"), "\"");
  EXPECT_EQ(Get(f, "S", "e"), "");
  EXPECT_EQ(Get(f, "S", "f"), "a\"b");
}

TEST(IniReadTest, LinesWithoutEqualsHoldNoValueAndEmptyValuesAreValues) {
  const std::string f = "[S]\nflag\n; note=1\nempty=\n=nameless\n";
  EXPECT_EQ(Get(f, "S", "flag"), std::nullopt);
  EXPECT_EQ(Get(f, "S", "empty"), "");
  EXPECT_EQ(Get(f, "S", ""), "nameless");
  EXPECT_EQ(IniDocument::Parse(f).Keys("S"), (std::vector<std::string>{"empty"}));
}

TEST(IniReadTest, LineEndsOfEveryKindAndNoFinalNewline) {
  EXPECT_EQ(Get("[S]\rk=1\rj=2", "S", "j"), "2");
  EXPECT_EQ(Get("[S]\nk=1\n\n\nj=2", "S", "j"), "2");
  EXPECT_EQ(Get("[S]\r\nk=1\r\n", "S", "k"), "1");
  EXPECT_EQ(Get("k=1\n[S]\n", "S", "k"), std::nullopt);  // keys before any section belong to none
}

TEST(IniReadTest, DoubleByteCharactersWhoseSecondByteIsABracketOrBackslash) {
  // "ソ" = 83 5C, "ゼ" = 83 5B, "ゾ" = 83 5D in code page 932.
  const std::string f = "[\x83\x5D]\r\nname=\x83\x5C\r\n[D\x83\x5B]\r\nv=\x83\x5D\x83\x5D\r\n[x]y]\r\nk=1\r\n";
  EXPECT_EQ(Get(f, "\x83\x5D", "name"), "\x83\x5C");
  EXPECT_EQ(Get(f, "d\x83\x5B", "v"), "\x83\x5D\x83\x5D");
  EXPECT_EQ(Get(f, "x]y", "k"), "1");  // the last "]" closes the name
  // A trail byte that looks like an ASCII letter is not case-folded:
  // "ア" = 83 41 and "ャ" = 83 61.
  EXPECT_EQ(Get("[\x83\x41]\nk=1\n", "\x83\x61", "k"), std::nullopt);
}

TEST(IniReadTest, ValuesAreCutToTheBufferWithoutSplittingACharacter) {
  const std::string longValue(3000, 'v');
  EXPECT_EQ(Get("[S]\nk=" + longValue + "\n", "S", "k")->size(), kValueBufferSize - 1);
  std::string japanese;
  for (int i = 0; i < 1500; ++i) japanese += "\x82\xA0";  // "あ" × 1500
  const std::string got = *Get("[S]\nk=x" + japanese + "\n", "S", "k");
  EXPECT_EQ(got.size(), 2047u);  // "x" and 1023 whole characters
  EXPECT_EQ(got.substr(got.size() - 2), "\x82\xA0");
  // A quoted value longer than the buffer keeps its opening quote's removal
  // but loses its last character instead of the closing quote.
  const std::string quoted = *Get("[S]\nk=\"" + longValue + "\"\n", "S", "k");
  EXPECT_EQ(quoted, std::string(2047, 'v'));
}

// What kernel32 gives for quoted values at the end of the buffer (checked
// against it under Wine): the closing quote that no longer fits takes the
// last copied character with it.
TEST(IniReadTest, QuotedValuesAtTheEndOfTheBuffer) {
  const auto quoted = [](size_t n, char c) { return "[B]\nk=\"" + std::string(n, c) + "\"\n"; };
  EXPECT_EQ(Get(quoted(2046, 'b'), "B", "k"), std::string(2046, 'b'));
  EXPECT_EQ(Get(quoted(2047, 'c'), "B", "k"), std::string(2046, 'c'));
  EXPECT_EQ(Get(quoted(2048, 'd'), "B", "k"), std::string(2047, 'd'));
}

TEST(IniReadTest, EmbeddedNulEndsTheValue) { EXPECT_EQ(Get(std::string("[S]\nk=ab\0cd\n", 12), "S", "k"), "ab"); }

TEST(IniWriteTest, ReplacingAKeyKeepsEveryOtherByte) {
  const std::string f = "; my notes\r\n[Other]\r\nx = 1 ; kept\r\n\r\n[KeyBoad]\r\nMainkeyOnly=1\r\nz=2\r\n";
  IniDocument doc = IniDocument::Parse(f);
  doc.Set("keyboad", "MainKeyOnly", "0");
  EXPECT_EQ(doc.Serialize(), "; my notes\r\n[Other]\r\nx = 1 ; kept\r\n\r\n[KeyBoad]\r\nMainkeyOnly=0\r\nz=2\r\n");
}

TEST(IniWriteTest, NewKeysGoAfterTheSectionsLastLineAndNewSectionsAtTheEnd) {
  IniDocument doc = IniDocument::Parse("[A]\r\na=1\r\n\r\n[B]\r\nb=1");
  doc.Set("A", "a2", "2");
  doc.Set("C", "c", "3");
  EXPECT_EQ(doc.Serialize(), "[A]\r\na=1\r\na2=2\r\n\r\n[B]\r\nb=1\r\n[C]\r\nc=3\r\n");
}

TEST(IniWriteTest, FirstWriteToAnEmptyFileAndLineEndsOfTheFile) {
  IniDocument empty;
  empty.Set("Icon", "Color", "255");
  EXPECT_EQ(empty.Serialize(), "[Icon]\r\nColor=255\r\n");
  IniDocument unix = IniDocument::Parse("[A]\na=1\n");
  unix.Set("A", "b", "2");
  EXPECT_EQ(unix.Serialize(), "[A]\na=1\nb=2\n");
}

TEST(IniWriteTest, LineBreaksInAValueCannotInjectKeys) {
  IniDocument doc;
  doc.Set("S", "name", "evil\r\n[KeyBoad]\r\nMainKeyCode=1");
  EXPECT_EQ(doc.Get("KeyBoad", "MainKeyCode"), std::nullopt);
  EXPECT_EQ(doc.Get("S", "name"), "evil  [KeyBoad]  MainKeyCode=1");
}

TEST(IniWriteTest, DeleteKeyAndEraseSection) {
  IniDocument doc = IniDocument::Parse("[A]\r\nk=1\r\nK=2\r\nj=3\r\n[B]\r\nb=1\r\n[a]\r\nk=9\r\n");
  EXPECT_TRUE(doc.DeleteKey("A", "k"));
  EXPECT_EQ(doc.Serialize(), "[A]\r\nj=3\r\n[B]\r\nb=1\r\n[a]\r\nk=9\r\n");
  EXPECT_FALSE(doc.DeleteKey("A", "missing"));
  EXPECT_FALSE(doc.DeleteKey("Missing", "k"));
  // Erasing removes every section of the name so that none comes to light.
  EXPECT_TRUE(doc.EraseSection("a"));
  EXPECT_EQ(doc.Serialize(), "[B]\r\nb=1\r\n");
  EXPECT_EQ(doc.Get("A", "k"), std::nullopt);
  EXPECT_FALSE(doc.EraseSection("A"));
}

TEST(IniWriteTest, WritingADuplicatedKeyChangesTheVisibleOne) {
  IniDocument doc = IniDocument::Parse("[A]\nk=1\nk=2\n");
  doc.Set("A", "k", "5");
  EXPECT_EQ(doc.Get("A", "k"), "5");
  EXPECT_EQ(doc.Serialize(), "[A]\nk=5\nk=2\n");
}

TEST(IniParseTest, SerializeReturnsTheInputUnchanged) {
  const std::string odd = std::string("\xEF\xBB\xBF[A]\r\r\n\n k = v \r\n[\x83\r\n\0junk\xFF", 26);
  EXPECT_EQ(IniDocument::Parse(odd).Serialize(), odd);
}

}  // namespace
}  // namespace volmaru::settings
