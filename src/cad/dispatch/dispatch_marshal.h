// Our values to and from the automation values the CAD's object model takes and gives: points
// as arrays of three doubles, selection filters as an array of short codes beside an array of
// VARIANT values, system variables with the integer width the CAD expects. A result of the
// wrong shape throws CadError naming the member (`where`, e.g. "Document.GetVariable").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/cad_interface.h"
#include "cad/dispatch/dispatch_value.h"

namespace vorn::cad::dispatch {

// A point as the CAD takes it: R8[] {x, y, z}.
DispatchValue PointValue(const TAcadPoint& point);
// A base point when given, else the parameter left out.
DispatchValue OptionalPointValue(const std::optional<TAcadPoint>& point);
// The two filter arguments (I2[] codes, VARIANT[] of BSTR values); throws CadError when the
// codes and values differ in number or a code does not fit a short.
std::pair<DispatchValue, DispatchValue> FilterValues(const SelectionFilter& filter);

// A system variable's value for SetVariable. Integers go as shorts when they fit: the integer
// system variables are shorts in the CAD's object model, and it rejects a 32-bit integer for
// them.
DispatchValue SystemVariableValue(const CadValue& value, std::string_view where);
// GetVariable's answer: shorts and ints as integers, reals, texts, and points of two or three
// doubles (a two-dimensional point gets z = 0).
CadValue ToCadValue(const DispatchValue& value, std::string_view where);

// Results. Integer kinds convert among themselves when the value fits; reals accept integers.
bool ToBool(const DispatchValue& value, std::string_view where);
int32_t ToInt(const DispatchValue& value, std::string_view where);
int64_t ToInt64(const DispatchValue& value, std::string_view where);
double ToDouble(const DispatchValue& value, std::string_view where);
std::string ToText(const DispatchValue& value, std::string_view where);
// Two or three numbers (R8[] or a VARIANT[] of numbers); z = 0 when there are two.
TAcadPoint ToPoint(const DispatchValue& value, std::string_view where);
std::vector<double> ToDoubles(const DispatchValue& value, std::string_view where);
// A non-null object reference.
DispatchObjectPtr ToObject(const DispatchValue& value, std::string_view where);
// An array of object references; Empty is no objects.
std::vector<DispatchObjectPtr> ToObjects(const DispatchValue& value, std::string_view where);

}  // namespace vorn::cad::dispatch
