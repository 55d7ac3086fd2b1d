// An Interaction that answers from a queue, in order. A request meets the next answer: a
// cancel answer (or an empty queue) cancels it; an answer of another kind throws CadError,
// because the script and the command have gone out of step. Points answer both point and
// insertion-point requests.
#pragma once

#include <deque>
#include <string>
#include <variant>
#include <vector>

#include "cad/host/interaction.h"

namespace vorn::cad::host {

class ScriptedInteraction final : public Interaction {
 public:
  ScriptedInteraction& SelectHandles(std::vector<std::string> handles);
  ScriptedInteraction& SelectLayer(std::string layer);
  ScriptedInteraction& SelectWindow(const TAcadPoint& corner1, const TAcadPoint& corner2);
  ScriptedInteraction& SelectCrossing(const TAcadPoint& corner1, const TAcadPoint& corner2);
  ScriptedInteraction& Point(const TAcadPoint& point);
  ScriptedInteraction& Angle(double radians);
  ScriptedInteraction& Entity(std::string handle, const TAcadPoint& pickPoint = {});
  ScriptedInteraction& InsertionPoint(const TAcadPoint& point);
  ScriptedInteraction& Cancel();

  size_t Pending() const { return answers_.size(); }
  // The prompts of the requests so far, in order.
  const std::vector<std::string>& Requests() const { return requests_; }

  std::optional<SelectionAnswer> SelectObjects(const std::string& prompt) override;
  std::optional<TAcadPoint> GetPoint(const std::string& prompt,
                                     const std::optional<TAcadPoint>& base) override;
  std::optional<double> GetAngle(const std::string& prompt,
                                 const std::optional<TAcadPoint>& base) override;
  std::optional<EntityAnswer> GetEntity(const std::string& prompt) override;
  std::optional<TAcadPoint> GetInsertionPoint(const std::string& blockName) override;

 private:
  struct CancelAnswer {};
  struct PointAnswer {
    TAcadPoint point;
  };
  struct AngleAnswer {
    double radians = 0.0;
  };
  using Answer =
      std::variant<CancelAnswer, SelectionAnswer, PointAnswer, AngleAnswer, EntityAnswer>;

  // The next answer if it is a T; nullopt for a cancel; throws CadError for another kind.
  template <class T>
  std::optional<T> Next(const std::string& request);

  std::deque<Answer> answers_;
  std::vector<std::string> requests_;
};

}  // namespace vorn::cad::host
