// Everything the user does in the host's drawing: selecting objects, picking points, angles and
// entities, placing a block. Scripted for tests and the batch tool; the drawing window in the
// GUI. Every request answers nullopt when the user cancels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry/records.h"

namespace vorn::cad::host {

struct SelectionAnswer {
  enum class Kind { kHandles, kLayer, kWindow, kCrossing };
  Kind kind = Kind::kHandles;
  std::vector<std::string> handles;
  std::string layer;
  TAcadPoint corner1, corner2;
};

struct EntityAnswer {
  std::string handle;
  TAcadPoint pickPoint;
};

class Interaction {
 public:
  virtual ~Interaction() = default;
  virtual std::optional<SelectionAnswer> SelectObjects(const std::string& prompt) = 0;
  virtual std::optional<TAcadPoint> GetPoint(const std::string& prompt,
                                             const std::optional<TAcadPoint>& base) = 0;
  // Radians counter-clockwise from +x.
  virtual std::optional<double> GetAngle(const std::string& prompt,
                                         const std::optional<TAcadPoint>& base) = 0;
  virtual std::optional<EntityAnswer> GetEntity(const std::string& prompt) = 0;
  virtual std::optional<TAcadPoint> GetInsertionPoint(const std::string& blockName) = 0;
};

}  // namespace vorn::cad::host
