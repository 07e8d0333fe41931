/* Text forms of registry paths, types and data for the qel tool. */
#include "RegistryText.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstring>

#include "Console.h"

namespace qel::cli {
namespace {

bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const struct {
  const char* name;
  const char* shortName;
  HKEY key;
} kRoots[] = {{"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
              {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
              {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
              {"HKEY_USERS", "HKU", HKEY_USERS},
              {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG}};

const std::array<std::pair<DWORD, const char*>, 8> kTypes{{{REG_NONE, "REG_NONE"},
                                                           {REG_SZ, "REG_SZ"},
                                                           {REG_EXPAND_SZ, "REG_EXPAND_SZ"},
                                                           {REG_BINARY, "REG_BINARY"},
                                                           {REG_DWORD, "REG_DWORD"},
                                                           {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN"},
                                                           {REG_MULTI_SZ, "REG_MULTI_SZ"},
                                                           {REG_QWORD, "REG_QWORD"}}};

std::vector<BYTE> bytesOf(const std::basic_string<WCHAR>& text) {
  std::vector<BYTE> out(text.size() * sizeof(WCHAR));
  if (!out.empty()) std::memcpy(out.data(), text.data(), out.size());
  return out;
}

template <class Number>
std::optional<Number> parseNumber(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  Number value{};
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

ULONGLONG littleEndian(const std::vector<BYTE>& data, size_t bytes) {
  ULONGLONG v = 0;
  for (size_t i = bytes; i-- > 0;) v = v << 8 | data[i];
  return v;
}

}  // namespace

std::optional<KeyPath> parseKeyPath(std::string_view text) {
  size_t cut = text.find_first_of("\\/");
  std::string_view rootName = text.substr(0, cut);
  for (const auto& root : kRoots) {
    if (!sameWord(rootName, root.name) && !sameWord(rootName, root.shortName)) continue;
    std::string rest(cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1));
    for (char& c : rest)
      if (c == '/') c = '\\';
    return KeyPath{root.key, fromUtf8(rest), root.name};
  }
  return std::nullopt;
}

std::string typeName(DWORD type) {
  for (const auto& [code, name] : kTypes)
    if (code == type) return name;
  return "type " + std::to_string(type);
}

std::optional<DWORD> parseTypeName(std::string_view text) {
  for (const auto& [code, name] : kTypes)
    if (sameWord(text, name) || sameWord(text, name + 4)) return code;
  return std::nullopt;
}

std::string dataText(DWORD type, const std::vector<BYTE>& data) {
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    std::basic_string<WCHAR> text(data.size() / sizeof(WCHAR), 0);
    if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(WCHAR));
    while (!text.empty() && text.back() == 0) text.pop_back();  // the terminators
    std::string out;
    for (WCHAR c : text) out += c ? toUtf8(std::basic_string<WCHAR>(1, c)) : std::string("\\0");
    return out;
  }
  if (type == REG_DWORD && data.size() == 4) return std::to_string(DWORD(littleEndian(data, 4)));
  if (type == REG_QWORD && data.size() == 8) return std::to_string(littleEndian(data, 8));
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (BYTE b : data) {
    if (!out.empty()) out += ' ';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::optional<std::vector<BYTE>> parseData(DWORD type, std::string_view text) {
  if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
    std::basic_string<WCHAR> wide = fromUtf8(text);
    if (type == REG_MULTI_SZ) {
      for (size_t at; (at = wide.find(QEL_W("\\0"))) != std::basic_string<WCHAR>::npos;)
        wide.replace(at, 2, 1, 0);
      if (!wide.empty()) wide.push_back(0);  // the list ends with an empty string
    }
    wide.push_back(0);
    return bytesOf(wide);
  }
  if (type == REG_DWORD || type == REG_QWORD) {
    auto value = parseNumber<ULONGLONG>(text);
    const size_t size = type == REG_DWORD ? 4 : 8;
    if (!value || (size == 4 && *value > 0xFFFFFFFFu)) return std::nullopt;
    std::vector<BYTE> out(size);
    for (size_t i = 0; i < size; ++i) out[i] = BYTE(*value >> (8 * i));
    return out;
  }
  std::string digits;
  for (char c : text)
    if (c != ' ' && c != ',') digits += c;
  if (digits.size() % 2) return std::nullopt;
  std::vector<BYTE> out;
  for (size_t i = 0; i < digits.size(); i += 2) {
    auto byte = parseNumber<unsigned>("0x" + digits.substr(i, 2));
    if (!byte) return std::nullopt;
    out.push_back(BYTE(*byte));
  }
  return out;
}

}  // namespace qel::cli
