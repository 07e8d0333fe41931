/*
 * FormatMessageW: finds a message in a module's message table, the system's
 * messages or a string, expands its escapes and %1..%99 inserts (with
 * !printf! formats), and applies the line-width rules.
 */
#include <qel/win32.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "module_resources.h"
#include "printf_engine.h"
#include "shield.h"
#include "system_messages.h"

namespace qel::posix {
namespace {

// The pointer-sized argument slots that inserts refer to by number: read
// from a va_list in order, as far as the highest insert needs, or taken
// from the caller's array.
class ArgumentSlots {
 public:
  ArgumentSlots(va_list* list, bool isArray)
      : array_(isArray ? reinterpret_cast<DWORD_PTR*>(list) : nullptr) {
    if (!isArray && list) {
      va_copy(list_, *list);
      haveList_ = true;
    }
  }
  ~ArgumentSlots() {
    if (haveList_) va_end(list_);
  }
  ArgumentSlots(const ArgumentSlots&) = delete;
  ArgumentSlots& operator=(const ArgumentSlots&) = delete;

  uint64_t slot(size_t index) {
    if (array_) return array_[index];
    while (read_.size() <= index) read_.push_back(va_arg(list_, uintptr_t));
    return read_[index];
  }

 private:
  DWORD_PTR* array_;
  va_list list_;
  bool haveList_ = false;
  std::vector<uint64_t> read_;
};

// The printf engine's view of the slots from one insert number onward.
class SlotArgs final : public FormatArgs {
 public:
  SlotArgs(ArgumentSlots& slots, size_t first) : slots_(slots), next_(first) {}
  uint64_t nextInteger(bool) override { return slots_.slot(next_++); }
  double nextDouble() override { return std::bit_cast<double>(slots_.slot(next_++)); }
  const void* nextPointer() override {
    return reinterpret_cast<const void*>(uintptr_t(slots_.slot(next_++)));
  }

 private:
  ArgumentSlots& slots_;
  size_t next_;
};

// Languages in the order Windows tries them when the caller names none.
std::vector<LANGID> candidateLanguages(DWORD language) {
  if (language != 0) return {LANGID(language)};
  std::vector<LANGID> order{0, LANGID(GetThreadLocale()), GetUserDefaultLangID(), GetSystemDefaultLangID(),
                            1033};
  std::vector<LANGID> unique;
  for (LANGID l : order)
    if (std::find(unique.begin(), unique.end(), l) == unique.end()) unique.push_back(l);
  return unique;
}

std::optional<std::u16string> fromModule(HMODULE module, DWORD id, DWORD language, DWORD& error) {
  const MessageTable* table = findModuleMessages(module);
  if (!table) {
    error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    return std::nullopt;
  }
  bool idKnown = false;
  for (LANGID lang : candidateLanguages(language))
    for (size_t i = 0; i < table->count; ++i) {
      const MessageEntry& e = table->entries[i];
      if (e.id != id) continue;
      idKnown = true;
      if (e.language != lang) continue;
      int n = int(std::strlen(e.text));
      std::u16string text(size_t(n), u'\0');
      if (n) MultiByteToWideChar(1252, 0, e.text, n, text.data(), n);
      return text;
    }
  error = idKnown ? ERROR_RESOURCE_LANG_NOT_FOUND : ERROR_MR_MID_NOT_FOUND;
  return std::nullopt;
}

std::optional<std::u16string> fromSystem(DWORD id, DWORD language, DWORD& error) {
  for (LANGID lang : candidateLanguages(language))
    if (const char16_t* t = systemMessage(id, lang)) return std::u16string(t) + u"\r\n";
  bool idKnown = systemMessage(id, 1033) != nullptr;
  error = idKnown ? ERROR_RESOURCE_LANG_NOT_FOUND : ERROR_MR_MID_NOT_FOUND;
  return std::nullopt;
}

// A line break of the message text that width control may replace, kept
// apart from the hard breaks (%n, %r) that always stay.
constexpr char16_t kSoftBreak = 0xFFFF;

// Expands escapes and inserts; false with `error` set when an insert has no
// arguments to take.
bool expand(std::u16string_view text, DWORD flags, va_list* arguments, std::u16string& out, DWORD& error) {
  bool ignoreInserts = flags & FORMAT_MESSAGE_IGNORE_INSERTS;
  ArgumentSlots slots(ignoreInserts ? nullptr : arguments, flags & FORMAT_MESSAGE_ARGUMENT_ARRAY);
  for (size_t i = 0; i < text.size();) {
    char16_t c = text[i++];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i < text.size() && text[i] == u'\n') ++i;
      out.push_back(kSoftBreak);
      continue;
    }
    if (c != u'%' || i >= text.size()) {
      out.push_back(c);
      continue;
    }
    char16_t e = text[i++];
    if (e >= u'1' && e <= u'9') {
      size_t start = i - 2;
      size_t number = size_t(e - u'0');
      if (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        number = number * 10 + size_t(text[i++] - u'0');
      std::u16string spec = u"s";
      if (i < text.size() && text[i] == u'!') {
        size_t close = text.find(u'!', i + 1);
        if (close != std::u16string_view::npos) {
          spec = std::u16string(text.substr(i + 1, close - i - 1));
          i = close + 1;
        }
      }
      if (ignoreInserts) {
        out.append(text.substr(start, i - start));
        continue;
      }
      if (!arguments) {
        error = ERROR_INVALID_PARAMETER;
        return false;
      }
      SlotArgs args(slots, number - 1);
      formatWide(out, u"%" + spec, args);
      continue;
    }
    switch (e) {
      case u'0': return true;
      case u'n': out += u"\r\n"; break;
      case u'r': out.push_back(u'\r'); break;
      case u't': out.push_back(u'\t'); break;
      case u'b': out.push_back(u' '); break;
      default: out.push_back(e); break;  // %% %. %! and "% "
    }
  }
  return true;
}

// Width 0 keeps the text's own line breaks; any other width makes each of
// them a space (so a text that ends with a line break ends with a blank, as
// on Windows), and a width below 0xFF also wraps the lines at that many
// characters.
std::u16string applyWidth(std::u16string text, DWORD width) {
  if (width == 0) {
    std::u16string out;
    for (char16_t c : text) c == kSoftBreak ? out += u"\r\n" : out += c;
    return out;
  }
  std::replace(text.begin(), text.end(), kSoftBreak, u' ');
  if (width == FORMAT_MESSAGE_MAX_WIDTH_MASK) return text;
  std::u16string out;
  size_t column = 0;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      out.push_back(text[i++]);
      column = 0;
      continue;
    }
    size_t end = text.find_first_of(u" \r\n", i);
    if (end == std::u16string::npos) end = text.size();
    size_t word = end - i;
    if (column > 0 && column + word > width) {
      while (!out.empty() && out.back() == u' ') out.pop_back();
      out += u"\r\n";
      column = 0;
    }
    out.append(text, i, word);
    column += word;
    i = end;
    while (i < text.size() && text[i] == u' ') {
      out.push_back(u' ');
      ++column;
      ++i;
    }
  }
  return out;
}

DWORD fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace
}  // namespace qel::posix

extern "C" DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                       LPWSTR lpBuffer, DWORD nSize, va_list* Arguments) {
  return qel::posix::shielded(
      [&]() -> DWORD {
        using namespace qel::posix;
        try {
          bool fromString = dwFlags & FORMAT_MESSAGE_FROM_STRING;
          bool fromModule = dwFlags & FORMAT_MESSAGE_FROM_HMODULE;
          bool fromSys = dwFlags & FORMAT_MESSAGE_FROM_SYSTEM;
          if (!lpBuffer || (fromString && (fromModule || fromSys)) ||
              (!fromString && !fromModule && !fromSys) || (fromString && !lpSource))
            return fail(ERROR_INVALID_PARAMETER);

          DWORD error = ERROR_MR_MID_NOT_FOUND;
          std::optional<std::u16string> text;
          if (fromString) text = std::u16string(static_cast<LPCWSTR>(lpSource));
          if (!text && fromModule)
            text = qel::posix::fromModule(static_cast<HMODULE>(const_cast<void*>(lpSource)), dwMessageId,
                                          dwLanguageId, error);
          if (!text && fromSys) text = fromSystem(dwMessageId, dwLanguageId, error);
          if (!text) return fail(error);

          std::u16string expanded;
          if (!expand(*text, dwFlags, Arguments, expanded, error)) return fail(error);
          std::u16string result = applyWidth(std::move(expanded), dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK);

          WCHAR* target = lpBuffer;
          if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
            size_t chars = std::max<size_t>(nSize, result.size() + 1);
            target = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, chars * sizeof(WCHAR)));
            if (!target) return fail(ERROR_NOT_ENOUGH_MEMORY);
            *reinterpret_cast<LPWSTR*>(lpBuffer) = target;
          } else if (result.size() + 1 > nSize) {
            return fail(ERROR_INSUFFICIENT_BUFFER);
          }
          std::copy(result.begin(), result.end(), target);
          target[result.size()] = 0;
          return DWORD(result.size());
        } catch (const std::bad_alloc&) {
          return fail(ERROR_NOT_ENOUGH_MEMORY);
        }
      },
      0);
}
