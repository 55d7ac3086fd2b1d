#include "cad/dispatch/dispatch_marshal.h"

#include <limits>

namespace vorn::cad::dispatch {
namespace {

[[noreturn]] void WrongShape(const DispatchValue& value, std::string_view where,
                             std::string_view wanted) {
  throw CadError(std::string(where) + " returned " + Describe(value) + " where " +
                 std::string(wanted) + " was expected");
}

// Any integer kind, widened; nothing when the value is not an integer.
std::optional<int64_t> IntegerOf(const DispatchValue& value) {
  if (const auto* s = value.Get<int16_t>()) return *s;
  if (const auto* i = value.Get<int32_t>()) return *i;
  if (const auto* l = value.Get<int64_t>()) return *l;
  return std::nullopt;
}

std::optional<double> NumberOf(const DispatchValue& value) {
  if (const auto* d = value.Get<double>()) return *d;
  if (const auto integer = IntegerOf(value)) return static_cast<double>(*integer);
  return std::nullopt;
}

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

bool FitsInt16(int64_t value) {
  return value >= std::numeric_limits<int16_t>::min() &&
         value <= std::numeric_limits<int16_t>::max();
}

// The numbers of an R8[] or of a VARIANT[] whose items are all numbers.
std::optional<std::vector<double>> NumbersOf(const DispatchValue& value) {
  if (const auto* doubles = value.Get<std::vector<double>>()) return *doubles;
  if (const auto* items = value.Get<std::vector<DispatchValue>>()) {
    std::vector<double> numbers;
    numbers.reserve(items->size());
    for (const DispatchValue& item : *items) {
      const auto number = NumberOf(item);
      if (!number) return std::nullopt;
      numbers.push_back(*number);
    }
    return numbers;
  }
  return std::nullopt;
}

std::optional<TAcadPoint> PointOf(const DispatchValue& value) {
  const auto numbers = NumbersOf(value);
  if (!numbers || numbers->size() < 2 || numbers->size() > 3) return std::nullopt;
  const double z = numbers->size() == 3 ? (*numbers)[2] : 0.0;
  return TAcadPoint{(*numbers)[0], (*numbers)[1], z};
}

}  // namespace

DispatchValue PointValue(const TAcadPoint& point) {
  return std::vector<double>{point.x, point.y, point.z};
}

DispatchValue OptionalPointValue(const std::optional<TAcadPoint>& point) {
  if (point) return PointValue(*point);
  return DispatchMissing{};
}

std::pair<DispatchValue, DispatchValue> FilterValues(const SelectionFilter& filter) {
  if (filter.codes.size() != filter.values.size()) {
    throw CadError("a selection filter needs one value per group code (" +
                   std::to_string(filter.codes.size()) + " codes, " +
                   std::to_string(filter.values.size()) + " values)");
  }
  std::vector<int16_t> codes;
  std::vector<DispatchValue> values;
  for (std::size_t i = 0; i < filter.codes.size(); ++i) {
    if (!FitsInt16(filter.codes[i])) {
      throw CadError("group code " + std::to_string(filter.codes[i]) + " is out of range");
    }
    codes.push_back(static_cast<int16_t>(filter.codes[i]));
    values.emplace_back(filter.values[i]);
  }
  return {DispatchValue(std::move(codes)), DispatchValue(std::move(values))};
}

DispatchValue SystemVariableValue(const CadValue& value, std::string_view where) {
  return std::visit(
      [where](const auto& v) -> DispatchValue {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          throw CadError(std::string(where) + ": a system variable cannot be set to nothing");
        } else if constexpr (std::is_same_v<T, int32_t>) {
          if (FitsInt16(v)) return static_cast<int16_t>(v);
          return v;
        } else if constexpr (std::is_same_v<T, TAcadPoint>) {
          return PointValue(v);
        } else {
          return v;
        }
      },
      value);
}

CadValue ToCadValue(const DispatchValue& value, std::string_view where) {
  switch (value.Type()) {
    case DispatchType::kEmpty:
      return std::monostate{};
    case DispatchType::kBool:
      return int32_t{*value.Get<bool>() ? 1 : 0};
    case DispatchType::kShort:
    case DispatchType::kInt:
    case DispatchType::kInt64: {
      const int64_t integer = *IntegerOf(value);
      if (FitsInt32(integer)) return static_cast<int32_t>(integer);
      return static_cast<double>(integer);
    }
    case DispatchType::kDouble:
      return *value.Get<double>();
    case DispatchType::kString:
      return *value.Get<std::string>();
    default:
      break;
  }
  if (const auto point = PointOf(value)) return *point;
  WrongShape(value, where, "a system variable's value");
}

bool ToBool(const DispatchValue& value, std::string_view where) {
  if (const auto* b = value.Get<bool>()) return *b;
  // Some CADs answer flags as integers; non-zero is true as in the object model's VARIANT_BOOL.
  if (const auto integer = IntegerOf(value)) return *integer != 0;
  WrongShape(value, where, "a Bool");
}

int32_t ToInt(const DispatchValue& value, std::string_view where) {
  const auto integer = IntegerOf(value);
  if (!integer || !FitsInt32(*integer)) WrongShape(value, where, "a 32-bit integer");
  return static_cast<int32_t>(*integer);
}

int64_t ToInt64(const DispatchValue& value, std::string_view where) {
  const auto integer = IntegerOf(value);
  if (!integer) WrongShape(value, where, "an integer");
  return *integer;
}

double ToDouble(const DispatchValue& value, std::string_view where) {
  const auto number = NumberOf(value);
  if (!number) WrongShape(value, where, "a number");
  return *number;
}

std::string ToText(const DispatchValue& value, std::string_view where) {
  if (const auto* text = value.Get<std::string>()) return *text;
  WrongShape(value, where, "a text");
}

TAcadPoint ToPoint(const DispatchValue& value, std::string_view where) {
  const auto point = PointOf(value);
  if (!point) WrongShape(value, where, "a point");
  return *point;
}

std::vector<double> ToDoubles(const DispatchValue& value, std::string_view where) {
  if (value.Type() == DispatchType::kEmpty) return {};
  auto numbers = NumbersOf(value);
  if (!numbers) WrongShape(value, where, "an array of numbers");
  return std::move(*numbers);
}

DispatchObjectPtr ToObject(const DispatchValue& value, std::string_view where) {
  if (const auto* object = value.Get<DispatchObjectPtr>(); object != nullptr && *object) {
    return *object;
  }
  WrongShape(value, where, "an object");
}

std::vector<DispatchObjectPtr> ToObjects(const DispatchValue& value, std::string_view where) {
  if (value.Type() == DispatchType::kEmpty) return {};
  const auto* items = value.Get<std::vector<DispatchValue>>();
  if (items == nullptr) WrongShape(value, where, "an array of objects");
  std::vector<DispatchObjectPtr> objects;
  objects.reserve(items->size());
  for (const DispatchValue& item : *items) objects.push_back(ToObject(item, where));
  return objects;
}

}  // namespace vorn::cad::dispatch
