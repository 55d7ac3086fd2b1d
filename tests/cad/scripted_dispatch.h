// Automation objects that play a CAD from a script: each records every call (object, kind,
// member, arguments with their types) in a shared log and answers from what the test set up.
// A member nobody answers fails as an unknown name does in COM.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cad/dispatch/dispatch_value.h"
#include "dxf/ascii_case.h"

namespace vorn::cad::testing {

using dispatch::DispatchArgument;
using dispatch::DispatchObject;
using dispatch::DispatchObjectPtr;
using dispatch::DispatchValue;
using dispatch::InvokeKind;

struct RecordedCall {
  std::string object;
  InvokeKind kind = InvokeKind::kMethod;
  std::string member;
  std::vector<DispatchArgument> args;

  // `Document.SetVariable(BSTR "FILEDIA", I2 0)` for a method, `Application.HWND` for a
  // property read, `Entity.Coordinate[I4 2]` for an indexed read, `Entity.color = I4 3` for a
  // write; an out argument shows with `&` (`&Object null`, `&Empty`).
  std::string Text() const {
    std::string list;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (i > 0) list += ", ";
      list += (args[i].byRef ? "&" : "") + dispatch::Describe(args[i].value);
    }
    const std::string head = object + "." + member;
    switch (kind) {
      case InvokeKind::kMethod:
        return head + "(" + list + ")";
      case InvokeKind::kPropertyGet:
        return args.empty() ? head : head + "[" + list + "]";
      case InvokeKind::kPropertyPut:
        return head + " = " + list;
    }
    return head;
  }
};

class CallLog {
 public:
  std::vector<RecordedCall> calls;
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& call : calls) texts.push_back(call.Text());
    return texts;
  }
  std::string Last() const { return calls.empty() ? "" : calls.back().Text(); }
};

class ScriptedObject final : public DispatchObject {
 public:
  using Answer = std::function<DispatchValue(std::span<DispatchArgument>)>;

  ScriptedObject(CallLog& log, std::string name) : log_(log), name_(std::move(name)) {}

  ScriptedObject& On(const std::string& member, Answer answer) {
    answers_[UpperAscii(member)] = std::move(answer);
    return *this;
  }
  ScriptedObject& Returns(const std::string& member, DispatchValue value) {
    return On(member, [value](std::span<DispatchArgument>) { return value; });
  }
  ScriptedObject& Fails(const std::string& member, int32_t hresult, const std::string& text) {
    return On(member, [hresult, text](std::span<DispatchArgument>) -> DispatchValue {
      throw dispatch::DispatchFailure(hresult, text);
    });
  }

  DispatchValue Invoke(InvokeKind kind, std::string_view member,
                       std::span<DispatchArgument> args) override {
    log_.calls.push_back({name_, kind, std::string(member),
                          std::vector<DispatchArgument>(args.begin(), args.end())});
    const auto found = answers_.find(UpperAscii(member));
    if (found == answers_.end()) {
      throw dispatch::DispatchFailure(dispatch::kDispUnknownName, "Unknown name.");
    }
    return found->second(args);
  }

 private:
  CallLog& log_;
  std::string name_;
  std::map<std::string, Answer> answers_;
};

using ScriptedPtr = std::shared_ptr<ScriptedObject>;

inline ScriptedPtr Scripted(CallLog& log, std::string name) {
  return std::make_shared<ScriptedObject>(log, std::move(name));
}

// A ProgID lookup that finds `application` for every ProgID while `running` is set.
class ScriptedRunningObjects final : public dispatch::RunningObjects {
 public:
  DispatchObjectPtr GetActiveObject(std::string_view progId) override {
    lookups.emplace_back(progId);
    if (!running) {
      throw dispatch::DispatchFailure(static_cast<int32_t>(0x800401E3), "Operation unavailable");
    }
    return application;
  }
  DispatchObjectPtr application;
  bool running = true;
  std::vector<std::string> lookups;
};

}  // namespace vorn::cad::testing
