#include <iconv.h>

#include <cerrno>
#include <vector>

#include "dxf/code_page.h"
#include "dxf/code_page_converter.h"

namespace vorn {
namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
 public:
  explicit IconvHandle(iconv_t cd) : cd_(cd) {}
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  ~IconvHandle() { iconv_close(cd_); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::string ConvertEncoding(std::string_view input, std::string_view from, std::string_view to) {
  iconv_t cd = iconv_open(std::string(to).c_str(), std::string(from).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw CodePageError("unsupported text encoding " + std::string(from) + " -> " +
                        std::string(to));
  }
  const IconvHandle handle(cd);
  std::string out;
  std::vector<char> buffer(4096);
  std::vector<char> in(input.begin(), input.end());
  char* inPtr = in.data();
  size_t inLeft = in.size();
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    const size_t rc = iconv(handle.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), static_cast<size_t>(outPtr - buffer.data()));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      const size_t offset = static_cast<size_t>(inPtr - in.data());
      throw CodePageError("text cannot be converted from " + std::string(from) + " to " +
                          std::string(to) + " at byte " + std::to_string(offset));
    }
  }
  return out;
}

}  // namespace vorn
