// Code page 932 on POSIX hosts through iconv's "CP932" converter, which
// follows Microsoft's table.
#include <errno.h>
#include <iconv.h>

#include <string>

#include "common/text.h"

namespace volmaru {
namespace {

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Converts one unit of input (1..2 bytes); returns false when it is not
  // a character of the source encoding.
  bool Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[16];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    if (iconv(cd_, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0) {
      return false;
    }
    out.append(buf, static_cast<size_t>(dst - buf));
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  thread_local Iconv conv("UTF-8", "CP932");
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  size_t i = 0;
  while (i < cp932.size()) {
    const auto c = static_cast<unsigned char>(cp932[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const size_t len = (IsCp932LeadByte(c) && i + 1 < cp932.size()) ? 2 : 1;
    if (!conv.ok() || !conv.Convert(cp932.substr(i, len), out)) out += "\xE3\x83\xBB";  // U+30FB
    i += len;
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  thread_local Iconv conv("CP932", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t len = 1;
    if ((c & 0xE0) == 0xC0)
      len = 2;
    else if ((c & 0xF0) == 0xE0)
      len = 3;
    else if ((c & 0xF8) == 0xF0)
      len = 4;
    if (i + len > utf8.size()) len = utf8.size() - i;
    if (!conv.ok() || !conv.Convert(utf8.substr(i, len), out)) out += '?';
    i += len;
  }
  return out;
}

}  // namespace volmaru
