/*
 * The wide formatted-output engine behind _vsnwprintf and the !printf!
 * inserts of FormatMessageW, with the Microsoft runtime's conventions.
 */
#ifndef QEL_POSIX_PRINTF_ENGINE_H
#define QEL_POSIX_PRINTF_ENGINE_H

#include <qel/win32.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qel::posix {

// Where the conversions take their arguments from: a va_list, or the
// pointer-sized argument slots of FormatMessageW.
class FormatArgs {
 public:
  virtual ~FormatArgs() = default;
  virtual uint64_t nextInteger(bool wide64) = 0;  // 32-bit values come zero-extended
  virtual double nextDouble() = 0;
  virtual const void* nextPointer() = 0;
};

class VaListArgs final : public FormatArgs {
 public:
  explicit VaListArgs(va_list args) { va_copy(args_, args); }
  ~VaListArgs() override { va_end(args_); }
  VaListArgs(const VaListArgs&) = delete;
  VaListArgs& operator=(const VaListArgs&) = delete;
  uint64_t nextInteger(bool wide64) override {
    return wide64 ? va_arg(args_, unsigned long long) : va_arg(args_, unsigned int);
  }
  double nextDouble() override { return va_arg(args_, double); }
  const void* nextPointer() override { return va_arg(args_, const void*); }

 private:
  va_list args_;
};

// Appends the text that `format` makes of `args` to `out`.
void formatWide(std::u16string& out, std::u16string_view format, FormatArgs& args);

}  // namespace qel::posix

#endif
