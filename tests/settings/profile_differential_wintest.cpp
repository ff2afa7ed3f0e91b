// Our settings-file engine against the platform's own private-profile
// functions (the ANSI ones, in code page 932), on files chosen to be hard:
// double-byte characters whose second byte is a bracket or a backslash,
// duplicates, odd spacing, quotes, every kind of line end, long values. The
// answers must be the same; where we differ on purpose the test says why.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/ini_document.h"
#include "settings/profile_file.h"

namespace volmaru::settings {
namespace {

constexpr const char* kDefault = "\x01(default)";

struct Query {
  std::string section;
  std::string key;
};

struct Case {
  const char* name;
  std::string bytes;
  std::vector<Query> queries;
};

std::string LongAscii() { return std::string(3000, 'v'); }

std::string LongJapanese() {
  std::string s;
  for (int i = 0; i < 1500; ++i) s += "\x82\xA0";  // あ
  return s;
}

std::vector<Case> Corpus() {
  return {
      {"trail-bytes",
       "[Dev]\r\nName=\x83\x5C\x83\x5B\x83\x5D\r\nPath=C:\\\x83\x5C\\x\r\n[\x83\x5D]\r\nk=1\r\n"
       "[\x83\x5B\x83\x5C]\r\nk=2\r\n[\x83\x41]\r\nk=3\r\n",
       {{"Dev", "Name"},
        {"dev", "PATH"},
        {"\x83\x5D", "k"},
        {"\x83\x5B\x83\x5C", "k"},
        {"\x83\x41", "k"},
        {"\x83\x61", "k"}}},
      {"duplicates",
       "[A]\r\nk=1\r\nK=2\r\n[B]\r\nx=1\r\n[a]\r\nk=3\r\nonly=4\r\n",
       {{"A", "k"}, {"a", "K"}, {"A", "only"}, {"B", "x"}, {"C", "k"}}},
      {"spaces-and-tabs",
       "  [S]  \r\n\t k \t=\t v v \t\r\n k2=  \r\nk 3 = x\r\n[ T ]\r\nk=1\r\n[U]\r\n  =novalue\r\n",
       {{"S", "k"}, {"S", "k2"}, {"S", "k 3"}, {" S ", "k"}, {"T", "k"}, {" T ", "k"}, {"U", ""}}},
      {"quotes",
       "[Q]\r\na=\"x y\"\r\nb='z'\r\nc=\"x'\r\nd=\"\r\ne=\"\"\r\nf= \" sp \" \r\ng=\"a\"b\"\r\nh=''\r\n",
       {{"Q", "a"}, {"Q", "b"}, {"Q", "c"}, {"Q", "d"}, {"Q", "e"}, {"Q", "f"}, {"Q", "g"}, {"Q", "h"}}},
      {"lf-only", "[L]\nk=1\n\n\nj=2\n", {{"L", "k"}, {"L", "j"}}},
      {"cr-only", "[C]\rk=1\rj=2", {{"C", "k"}, {"C", "j"}}},
      {"no-final-newline", "[N]\r\nk=last", {{"N", "k"}}},
      {"empty-values", "[E]\r\nk=\r\nj= \t \r\n", {{"E", "k"}, {"E", "j"}}},
      {"long-value", "[V]\r\nk=" + LongAscii() + "\r\nq=\"" + LongAscii() + "\"\r\n", {{"V", "k"}, {"V", "q"}}},
      {"long-japanese", "[J]\r\nk=x" + LongJapanese() + "\r\n", {{"J", "k"}}},
      // Quoted values right at the end of the value buffer.
      {"quoted-at-the-buffer-end",
       "[B]\r\na=\"" + std::string(2045, 'a') + "\"\r\nb=\"" + std::string(2046, 'b') + "\"\r\nc=\"" +
           std::string(2047, 'c') + "\"\r\nd=\"" + std::string(2048, 'd') + "\"\r\n",
       {{"B", "a"}, {"B", "b"}, {"B", "c"}, {"B", "d"}}},
      {"lines-without-equals", "[W]\r\nflag\r\n;comment=1\r\nk=1\r\n", {{"W", "flag"}, {"W", ";comment"}, {"W", "k"}}},
      {"keys-before-sections", "k=0\r\n[S]\r\nk=1\r\n", {{"S", "k"}}},
      {"unclosed-header", "[Broken\r\nk=1\r\n[S]\r\nk=2\r\n", {{"Broken", "k"}, {"S", "k"}}},
      {"text-after-header", "[S] ; note\r\nk=1\r\n[T]]\r\nk=2\r\n", {{"S", "k"}, {"T]", "k"}, {"T", "k"}}},
      {"ideographic-spaces", "[F]\r\nk=\x81\x40v\x81\x40\r\n\x81\x40j=1\r\n", {{"F", "k"}, {"F", "j"}}},
      {"end-of-file-mark", "[Z]\r\nk=1\x1a\r\n", {{"Z", "k"}}},
      {"japanese-values",
       "[KeyBoad]\r\nMainKeyName=\x96\xB3\x95\xCF\x8A\xB7\r\nMuteKeyName=\x81\xAB\r\n",
       {{"KeyBoad", "MainKeyName"}, {"KEYBOAD", "mutekeyname"}}},
  };
}

std::string TempFile(const std::string& name) {
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  return std::string(dir) + "volmaru-diff-" + std::to_string(GetCurrentProcessId()) + "-" + name + ".ini";
}

UniqueKernelHandle Open(const std::string& path, DWORD access, DWORD disposition) {
  HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueKernelHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  UniqueKernelHandle h = Open(path, GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_TRUE(h);
  DWORD put = 0;
  WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  UniqueKernelHandle h = Open(path, GENERIC_READ, OPEN_EXISTING);
  if (!h) return bytes;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

std::string PlatformGet(const std::string& path, const Query& q) {
  std::string buf(kValueBufferSize, '\0');
  const DWORD n = GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), kDefault, buf.data(),
                                           static_cast<DWORD>(kValueBufferSize), path.c_str());
  buf.resize(n);
  return buf;
}

std::string OurGet(const std::string& bytes, const Query& q) {
  return IniDocument::Parse(bytes).Get(q.section, q.key).value_or(kDefault);
}

std::string Printable(const std::string& s) {
  std::string out;
  for (unsigned char c : s.substr(0, 80)) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      wsprintfA(hex, "\\x%02X", c);
      out += hex;
    }
  }
  return s.size() > 80 ? out + "...(" + std::to_string(s.size()) + " bytes)" : out;
}

class ProfileDifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "the test prefix must use the Japanese code page"; }
};

TEST_F(ProfileDifferentialTest, ReadsAgreeWithThePlatform) {
  for (const Case& c : Corpus()) {
    const std::string path = TempFile(c.name);
    WriteBytes(path, c.bytes);
    for (const Query& q : c.queries) {
      EXPECT_EQ(Printable(OurGet(c.bytes, q)), Printable(PlatformGet(path, q)))
          << "file " << c.name << ", [" << Printable(q.section) << "] " << Printable(q.key);
    }
    DeleteFileA(path.c_str());
  }
}

TEST_F(ProfileDifferentialTest, KeyListingsAgreeWithThePlatform) {
  for (const Case& c : Corpus()) {
    const std::string path = TempFile(c.name);
    WriteBytes(path, c.bytes);
    for (const Query& q : c.queries) {
      std::string buf(65536, '\0');
      const DWORD n = GetPrivateProfileStringA(q.section.c_str(), nullptr, "", buf.data(),
                                               static_cast<DWORD>(buf.size()), path.c_str());
      std::vector<std::string> platform;
      for (size_t i = 0; i < n;) {
        const std::string name(buf.c_str() + i);
        platform.push_back(name);
        i += name.size() + 1;
      }
      std::vector<std::string> ours = IniDocument::Parse(c.bytes).Keys(q.section);
      EXPECT_EQ(ours, platform) << "file " << c.name << ", [" << Printable(q.section) << "]";
    }
    DeleteFileA(path.c_str());
  }
}

struct Edit {
  const char* section;
  const char* key;    // nullptr: erase the section
  const char* value;  // nullptr: delete the key
};

// Files written by both engines must read the same through the platform.
TEST_F(ProfileDifferentialTest, EditedFilesReadTheSameThroughThePlatform) {
  const std::string base =
      "; comment\r\n[KeyBoad]\r\nMainKeyCode = 29\r\nMainKeyName=\x96\xB3\x95\xCF\x8A\xB7\r\n\r\n"
      "[\x83\x5D]\r\nk=1\r\n[Icon]\r\nColor=255\r\n";
  const std::vector<Edit> edits = {
      {"KeyBoad", "MainKeyCode", "18"},
      {"keyboad", "MainKeyName", "Alt"},
      {"KeyBoad", "VolumeUpKeyName", "\x81\xA8"},  // →
      {"\x83\x5D", "k", "\x83\x5C"},
      {"\x83\x5D", "new", "2"},
      {"NewSection", "Value", "1"},
      {"Icon", "Color", nullptr},
      {"Icon", "Missing", nullptr},
      {"Schedule", "Use", "1"},
      {"Schedule", nullptr, nullptr},
      {"VolumeBar", "Color", "65280"},
  };
  const std::string platformPath = TempFile("edit-platform");
  WriteBytes(platformPath, base);
  IniDocument ours = IniDocument::Parse(base);
  for (const Edit& e : edits) {
    ASSERT_TRUE(WritePrivateProfileStringA(e.section, e.key, e.value, platformPath.c_str()) || !e.key || !e.value);
    if (!e.key)
      ours.EraseSection(e.section);
    else if (!e.value)
      ours.DeleteKey(e.section, e.key);
    else
      ours.Set(e.section, e.key, e.value);
  }
  const std::string ourPath = TempFile("edit-ours");
  WriteBytes(ourPath, ours.Serialize());
  const std::vector<Query> queries = {
      {"KeyBoad", "MainKeyCode"}, {"KeyBoad", "MainKeyName"}, {"KeyBoad", "VolumeUpKeyName"},
      {"\x83\x5D", "k"},          {"\x83\x5D", "new"},        {"NewSection", "Value"},
      {"Icon", "Color"},          {"Schedule", "Use"},        {"VolumeBar", "Color"},
  };
  for (const Query& q : queries) {
    EXPECT_EQ(Printable(PlatformGet(ourPath, q)), Printable(PlatformGet(platformPath, q)))
        << "[" << Printable(q.section) << "] " << q.key;
  }
  // We keep the comment and the spacing of lines we did not touch; the
  // platform here rewrites the whole file in its own layout.
  const std::string ourText = ReadBytes(ourPath);
  EXPECT_NE(ourText.find("; comment\r\n"), std::string::npos);
  EXPECT_NE(ourText.find("\r\n\r\n["), std::string::npos);
  DeleteFileA(platformPath.c_str());
  DeleteFileA(ourPath.c_str());
}

std::wstring PlatformGetW(const std::string& path, const std::wstring& section, const std::wstring& key) {
  std::wstring buf(kValueBufferSize, L'\0');
  const DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"\x01(default)", buf.data(),
                                           static_cast<DWORD>(kValueBufferSize), Widen(path).c_str());
  buf.resize(n);
  return buf;
}

std::string Utf16Le(const std::wstring& text) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

// Files some editors save as UTF-16 or with a UTF-8 mark: the platform reads
// them, and keeps their encoding when it writes; so do we.
TEST_F(ProfileDifferentialTest, FilesWithAByteOrderMarkAgreeWithThePlatform) {
  const std::wstring text = L"[KeyBoad]\r\nMainKeyName=無変換\r\n[デバイス]\r\n名前=スピーカー①\r\n Color = 255 \r\n";
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"utf16le", Utf16Le(text)},
      {"utf8bom", "\xEF\xBB\xBF" + Narrow(text)},
  };
  const struct {
    std::wstring section, key;
  } queries[] = {{L"keyboad", L"MAINKEYNAME"}, {L"デバイス", L"名前"}, {L"デバイス", L"color"}, {L"デバイス", L"none"}};
  for (const auto& f : files) {
    const std::string platformPath = TempFile(std::string(f.name) + "-platform");
    const std::string ourPath = TempFile(std::string(f.name) + "-ours");
    WriteBytes(platformPath, f.bytes);
    WriteBytes(ourPath, f.bytes);
    ProfileFile ours(SystemFiles(), ourPath);
    for (const auto& q : queries) {
      const std::optional<std::string> mine = ours.Read(Narrow(q.section), Narrow(q.key));
      EXPECT_EQ(mine ? Widen(*mine) : std::wstring(L"\x01(default)"), PlatformGetW(platformPath, q.section, q.key))
          << f.name << " [" << Narrow(q.section) << "] " << Narrow(q.key);
    }
    // The same edits by both; then each file read through the platform.
    ASSERT_TRUE(WritePrivateProfileStringW(L"デバイス", L"名前", L"HDMI出力②", Widen(platformPath).c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"新しい", L"キー", L"値", Widen(platformPath).c_str()));
    ours.Write("デバイス", "名前", "HDMI出力②");
    ours.Write("新しい", "キー", "値");
    for (const auto& q : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"デバイス", L"名前"}, {L"新しい", L"キー"}, {L"KeyBoad", L"MainKeyName"}, {L"デバイス", L"Color"}}) {
      EXPECT_EQ(PlatformGetW(ourPath, q.first, q.second), PlatformGetW(platformPath, q.first, q.second))
          << f.name << " [" << Narrow(q.first) << "] " << Narrow(q.second);
    }
    const std::string platformBytes = ReadBytes(platformPath);
    const std::string ourBytes = ReadBytes(ourPath);
    const size_t mark = f.bytes[0] == '\xFF' ? 2 : 3;
    EXPECT_EQ(Printable(ourBytes.substr(0, mark)), Printable(f.bytes.substr(0, mark))) << f.name << ": our mark";
    EXPECT_EQ(Printable(platformBytes.substr(0, mark)), Printable(f.bytes.substr(0, mark)))
        << f.name << ": the platform's mark";
    DeleteFileA(platformPath.c_str());
    DeleteFileA(ourPath.c_str());
  }
}

}  // namespace
}  // namespace volmaru::settings
