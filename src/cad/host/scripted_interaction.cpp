#include "cad/host/scripted_interaction.h"

#include "cad/cad_interface.h"

namespace vorn::cad::host {
namespace {

const char* KindName(size_t index) {
  static constexpr const char* kNames[] = {"cancel", "selection", "point", "angle", "entity"};
  return index < 5 ? kNames[index] : "?";
}

}  // namespace

ScriptedInteraction& ScriptedInteraction::SelectHandles(std::vector<std::string> handles) {
  SelectionAnswer a;
  a.kind = SelectionAnswer::Kind::kHandles;
  a.handles = std::move(handles);
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedInteraction& ScriptedInteraction::SelectLayer(std::string layer) {
  SelectionAnswer a;
  a.kind = SelectionAnswer::Kind::kLayer;
  a.layer = std::move(layer);
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedInteraction& ScriptedInteraction::SelectWindow(const TAcadPoint& corner1,
                                                       const TAcadPoint& corner2) {
  SelectionAnswer a;
  a.kind = SelectionAnswer::Kind::kWindow;
  a.corner1 = corner1;
  a.corner2 = corner2;
  answers_.push_back(std::move(a));
  return *this;
}

ScriptedInteraction& ScriptedInteraction::SelectCrossing(const TAcadPoint& corner1,
                                                         const TAcadPoint& corner2) {
  SelectWindow(corner1, corner2);
  std::get<SelectionAnswer>(answers_.back()).kind = SelectionAnswer::Kind::kCrossing;
  return *this;
}

ScriptedInteraction& ScriptedInteraction::Point(const TAcadPoint& point) {
  answers_.push_back(PointAnswer{point});
  return *this;
}

ScriptedInteraction& ScriptedInteraction::Angle(double radians) {
  answers_.push_back(AngleAnswer{radians});
  return *this;
}

ScriptedInteraction& ScriptedInteraction::Entity(std::string handle, const TAcadPoint& pickPoint) {
  answers_.push_back(EntityAnswer{std::move(handle), pickPoint});
  return *this;
}

ScriptedInteraction& ScriptedInteraction::InsertionPoint(const TAcadPoint& point) {
  return Point(point);
}

ScriptedInteraction& ScriptedInteraction::Cancel() {
  answers_.push_back(CancelAnswer{});
  return *this;
}

template <class T>
std::optional<T> ScriptedInteraction::Next(const std::string& request) {
  requests_.push_back(request);
  if (answers_.empty()) return std::nullopt;
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  if (std::holds_alternative<CancelAnswer>(answer)) return std::nullopt;
  if (auto* wanted = std::get_if<T>(&answer)) return std::move(*wanted);
  throw CadError(std::string("scripted interaction: the next answer is a ") +
                 KindName(answer.index()) + ", but the CAD asks \"" + request + "\"");
}

std::optional<SelectionAnswer> ScriptedInteraction::SelectObjects(const std::string& prompt) {
  return Next<SelectionAnswer>(prompt);
}

std::optional<TAcadPoint> ScriptedInteraction::GetPoint(const std::string& prompt,
                                                        const std::optional<TAcadPoint>&) {
  auto a = Next<PointAnswer>(prompt);
  if (!a) return std::nullopt;
  return a->point;
}

std::optional<double> ScriptedInteraction::GetAngle(const std::string& prompt,
                                                    const std::optional<TAcadPoint>&) {
  auto a = Next<AngleAnswer>(prompt);
  if (!a) return std::nullopt;
  return a->radians;
}

std::optional<EntityAnswer> ScriptedInteraction::GetEntity(const std::string& prompt) {
  return Next<EntityAnswer>(prompt);
}

std::optional<TAcadPoint> ScriptedInteraction::GetInsertionPoint(const std::string& blockName) {
  auto a = Next<PointAnswer>("Insertion point of " + blockName);
  if (!a) return std::nullopt;
  return a->point;
}

}  // namespace vorn::cad::host
