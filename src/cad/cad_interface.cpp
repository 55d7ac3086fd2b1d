#include "cad/cad_interface.h"

namespace vorn::cad {

double CadValueToDouble(const CadValue& value) {
  if (const auto* i = std::get_if<int32_t>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) return *d;
  throw CadError("the value is not a number");
}

TAcadPoint CadValueToPoint(const CadValue& value) {
  if (const auto* p = std::get_if<TAcadPoint>(&value)) return *p;
  throw CadError("the value is not a point");
}

}  // namespace vorn::cad
