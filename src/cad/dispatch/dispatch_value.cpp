#include "cad/dispatch/dispatch_value.h"

#include <cstdio>

#include "dxf/number_format.h"

namespace vorn::cad::dispatch {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

template <class T>
std::string JoinNumbers(const std::vector<T>& items) {
  std::string out = "{";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += ", ";
    if constexpr (std::is_floating_point_v<T>) {
      out += FormatGeneral(items[i]);
    } else {
      out += std::to_string(items[i]);
    }
  }
  return out + "}";
}

}  // namespace

std::string_view TypeName(DispatchType type) {
  switch (type) {
    case DispatchType::kEmpty:
      return "Empty";
    case DispatchType::kMissing:
      return "Missing";
    case DispatchType::kBool:
      return "Bool";
    case DispatchType::kShort:
      return "I2";
    case DispatchType::kInt:
      return "I4";
    case DispatchType::kInt64:
      return "I8";
    case DispatchType::kDouble:
      return "R8";
    case DispatchType::kString:
      return "BSTR";
    case DispatchType::kDoubleArray:
      return "R8[]";
    case DispatchType::kShortArray:
      return "I2[]";
    case DispatchType::kVariantArray:
      return "VARIANT[]";
    case DispatchType::kObject:
      return "Object";
  }
  return "?";
}

std::string Describe(const DispatchValue& value) {
  const std::string type(TypeName(value.Type()));
  return std::visit(
      [&type](const auto& v) -> std::string {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, DispatchMissing>) {
          return type;
        } else if constexpr (std::is_same_v<T, bool>) {
          return type + (v ? " true" : " false");
        } else if constexpr (std::is_same_v<T, double>) {
          return type + " " + FormatGeneral(v);
        } else if constexpr (std::is_integral_v<T>) {
          return type + " " + std::to_string(v);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return type + " " + Quoted(v);
        } else if constexpr (std::is_same_v<T, std::vector<DispatchValue>>) {
          std::string out = type + " {";
          for (std::size_t i = 0; i < v.size(); ++i) out += (i > 0 ? ", " : "") + Describe(v[i]);
          return out + "}";
        } else if constexpr (std::is_same_v<T, DispatchObjectPtr>) {
          return v ? type : type + " null";
        } else {
          return type + " " + JoinNumbers(v);
        }
      },
      value.value);
}

std::string_view KindName(InvokeKind kind) {
  switch (kind) {
    case InvokeKind::kMethod:
      return "method";
    case InvokeKind::kPropertyGet:
      return "get";
    case InvokeKind::kPropertyPut:
      return "put";
  }
  return "?";
}

std::string HresultText(int32_t hresult) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(static_cast<uint32_t>(hresult)));
  return text;
}

DispatchFailure::DispatchFailure(int32_t hresult, const std::string& text)
    : CadError(text + " (HRESULT " + HresultText(hresult) + ")"), hresult_(hresult), text_(text) {}

}  // namespace vorn::cad::dispatch
