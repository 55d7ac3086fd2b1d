// The command line of the host: the command strings the system types. A blank or a carriage
// return ends an answer (a blank inside double quotes does not); Ctrl+C and ESC cancel the
// running command. A command whose answers run out is cancelled, except that the insertion
// point of -INSERT is then asked from the user, as a CAD would.
#include <charconv>
#include <cmath>
#include <deque>
#include <optional>

#include "cad/host/host_state.h"
#include "cad/host/linetype_library.h"
#include "dxf/ascii_case.h"
#include "dxf/number_format.h"

namespace vorn::cad::host {
namespace {

constexpr double kRadPerDeg = 0.017453292519943295;

struct Token {
  std::string text;
};

// Each cancel character starts a new run; the text after the last separator of a run is not
// entered (the user never pressed Enter for it).
std::vector<std::deque<Token>> SplitRuns(std::string_view input) {
  std::vector<std::deque<Token>> runs(1);
  std::string current;
  bool quoted = false;
  for (char c : input) {
    if (c == '\x03' || c == '\x1b') {
      runs.emplace_back();
      current.clear();
      quoted = false;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == '\r' || c == '\n' || (c == ' ' && !quoted)) {
      runs.back().push_back(Token{current});
      current.clear();
      quoted = false;
    } else {
      current += c;
    }
  }
  return runs;
}

std::optional<double> ParseNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<TAcadPoint> ParsePoint(std::string_view text) {
  std::vector<double> values;
  while (true) {
    const size_t comma = text.find(',');
    auto v = ParseNumber(text.substr(0, comma));
    if (!v) return std::nullopt;
    values.push_back(*v);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (values.size() < 2 || values.size() > 3) return std::nullopt;
  return TAcadPoint{values[0], values[1], values.size() == 3 ? values[2] : 0.0};
}

std::string PointText(const TAcadPoint& p) {
  return "X = " + FormatFixed(p.x, 4) + "     Y = " + FormatFixed(p.y, 4) +
         "     Z = " + FormatFixed(p.z, 4);
}

// The file's name without folder and extension; both separators count, whatever the platform,
// because the block name must match the serial the system computed.
std::string FileStem(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

// Ends a command early with a line on the prompt log.
struct CommandEnded {
  std::string message;
  bool unknownCommand = false;
};

class Interpreter {
 public:
  Interpreter(HostState& state, std::deque<Token>& tokens) : state_(state), tokens_(tokens) {}

  void Run() {
    while (!tokens_.empty()) {
      const std::string word = tokens_.front().text;
      tokens_.pop_front();
      if (word.empty()) continue;  // Enter at the command prompt
      try {
        Dispatch(word);
      } catch (const CommandEnded& end) {
        state_.Log(end.message + "\r\n");
        // What follows an unknown command was meant as its answers, not as commands.
        if (end.unknownCommand) return;
      }
    }
  }

 private:
  void Dispatch(const std::string& typed) {
    std::string word = UpperAscii(typed);
    if (!word.empty() && word.front() == '_') word.erase(0, 1);
    state_.Log("Command: " + typed + "\r\n");
    if (word == "-INSERT") return Insert();
    if (word == "-LINETYPE") return Linetype();
    if (word == "ID") return Id();
    if (word == "U") {
      if (!state_.Undo()) state_.Log("Nothing to undo\r\n");
      return;
    }
    if (word == "REGEN") return;
    if (state_.doc.variables.count(word)) return Variable(word);
    throw CommandEnded{"Unknown command \"" + typed + "\".", true};
  }

  std::string Next(const char* prompt) {
    if (tokens_.empty())
      throw CommandEnded{std::string("*Cancel* (no answer to \"") + prompt + "\")"};
    std::string text = tokens_.front().text;
    tokens_.pop_front();
    return text;
  }

  double NextNumber(const char* prompt, double fallback) {
    const std::string text = Next(prompt);
    if (text.empty()) return fallback;
    auto value = ParseNumber(text);
    if (!value)
      throw CommandEnded{std::string("\"") + text + "\" is not a number (" + prompt + ")"};
    return *value;
  }

  // -INSERT: name or file ("*" explodes), then the insertion point with the options S and R,
  // then the scale and rotation not already given.
  void Insert() {
    std::string name = Next("block name");
    const bool explode = !name.empty() && name.front() == '*';
    if (explode) name.erase(0, 1);
    if (name.empty()) throw CommandEnded{"*Cancel* (no block name)"};
    const std::string blockName = ResolveBlock(name);
    std::optional<double> scale, rotation;
    std::optional<TAcadPoint> point;
    while (!point) {
      if (tokens_.empty()) {
        point =
            state_.interaction ? state_.interaction->GetInsertionPoint(blockName) : std::nullopt;
        if (!point) throw CommandEnded{"*Cancel*"};
        break;
      }
      const std::string answer = Next("insertion point");
      const std::string option = UpperAscii(answer);
      if (option == "S" || option == "SCALE") {
        scale = NextNumber("scale factor", 1.0);
      } else if (option == "R" || option == "ROTATE") {
        rotation = NextNumber("rotation angle", 0.0);
      } else if (!(point = ParsePoint(answer))) {
        throw CommandEnded{"\"" + answer + "\" is not a point or an option of -INSERT"};
      }
    }
    if (!scale) scale = NextNumber("scale factor", 1.0);
    if (!rotation) rotation = NextNumber("rotation angle", 0.0);
    if (!(*scale > 0)) throw CommandEnded{"The scale factor must be positive."};
    Place(blockName, *point, *scale, *rotation, explode);
  }

  // The block to insert: a drawing block of that name, else the DXF file, read into a block
  // named after the file (replacing an older one of that name).
  std::string ResolveBlock(const std::string& name) {
    const bool pathLike =
        name.find_first_of("/\\:") != std::string::npos || UpperAscii(name).ends_with(".DXF");
    if (!pathLike) {
      if (const HostBlock* block = FindBlock(state_.doc, name)) return block->name;
    }
    std::filesystem::path path(name);
    if (!path.has_extension()) path += ".dxf";
    if (!state_.files) throw CommandEnded{"Cannot read \"" + path.string() + "\": no file access"};
    dxf::Drawing file;
    try {
      file = state_.files->Read(path);
    } catch (const std::exception& e) {
      throw CommandEnded{"Cannot insert \"" + path.string() + "\": " + e.what()};
    }
    state_.BeginChange();
    MergeDefinitions(state_, file);
    const std::string blockName = FileStem(name);
    HostBlock* block = FindBlock(state_.doc, blockName);
    if (!block) {
      state_.doc.blocks.push_back(HostBlock{blockName, {}, 0, {}});
      block = &state_.doc.blocks.back();
    }
    block->base = TAcadPoint{};
    block->entities.clear();
    for (const auto& e : file.entities) block->entities.push_back(MakeHostEntity(state_.doc, e));
    return block->name;
  }

  void Place(const std::string& blockName, const TAcadPoint& point, double scale,
             double rotationDegrees, bool explode) {
    const HostBlock* block = FindBlock(state_.doc, blockName);
    if (!block) throw CommandEnded{"Block \"" + blockName + "\" is not defined."};
    state_.BeginChange();
    block = FindBlock(state_.doc, blockName);
    if (explode) {
      auto pieces = PlaceBlockEntities(
          *block, Placement{block->base, point, scale, rotationDegrees * kRadPerDeg});
      AppendEntities(state_, state_.doc.modelSpace, std::move(pieces));
      return;
    }
    dxf::Entity reference;
    reference.common.layer = state_.CurrentLayer();
    reference.data = dxf::Insert{block->name, point, {scale, scale, scale}, rotationDegrees};
    AppendEntities(state_, state_.doc.modelSpace, {std::move(reference)});
  }

  // -LINETYPE: options L (names, file), S (name), ? (file); an empty answer ends it.
  void Linetype() {
    while (true) {
      const std::string option = UpperAscii(Next("-LINETYPE option"));
      if (option.empty()) return;
      if (option == "L" || option == "LOAD") {
        const std::string names = Next("line types to load");
        const std::string file = Next("line-type file");
        LoadNames(names, file);
      } else if (option == "S" || option == "SET") {
        const std::string name = Next("line type to set");
        if (UpperAscii(name) != "BYLAYER" && UpperAscii(name) != "BYBLOCK" &&
            !FindLineType(state_.doc, name)) {
          throw CommandEnded{"Line type \"" + name + "\" is not loaded."};
        }
        state_.doc.variables["CELTYPE"] = CadValue{name};
      } else if (option == "?") {
        Next("line-type file");
      } else {
        throw CommandEnded{"\"" + option + "\" is not an option of -LINETYPE"};
      }
    }
  }

  void LoadNames(const std::string& names, const std::string& file) {
    size_t start = 0;
    while (start <= names.size()) {
      const size_t comma = names.find(',', start);
      const std::string name =
          names.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      if (!name.empty() && !LoadLinetypeInto(state_, name, file)) {
        state_.Log("Line type \"" + name + "\" is not in \"" + file + "\".\r\n");
      }
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }

  // ID: the point goes to LASTPOINT and is echoed.
  void Id() {
    std::optional<TAcadPoint> point;
    if (!tokens_.empty()) {
      const std::string answer = Next("point");
      point = ParsePoint(answer);
      if (!point) throw CommandEnded{"\"" + answer + "\" is not a point"};
    } else if (state_.interaction) {
      point = state_.interaction->GetPoint("Specify point: ", std::nullopt);
    }
    if (!point) throw CommandEnded{"*Cancel*"};
    state_.doc.variables["LASTPOINT"] = CadValue{*point};
    state_.Log(PointText(*point) + "\r\n");
  }

  // A system variable typed as a command: its new value follows, in the variable's own type.
  void Variable(const std::string& name) {
    const std::string text = Next("new value");
    if (text.empty()) return;
    CadValue& slot = state_.doc.variables[name];
    if (std::holds_alternative<int32_t>(slot)) {
      int32_t v = 0;
      const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec != std::errc() || ptr != text.data() + text.size()) {
        throw CommandEnded{"\"" + text + "\" is not a whole number for " + name};
      }
      slot = v;
    } else if (std::holds_alternative<double>(slot)) {
      auto v = ParseNumber(text);
      if (!v) throw CommandEnded{"\"" + text + "\" is not a number for " + name};
      slot = *v;
    } else if (std::holds_alternative<TAcadPoint>(slot)) {
      auto p = ParsePoint(text);
      if (!p) throw CommandEnded{"\"" + text + "\" is not a point for " + name};
      slot = *p;
    } else {
      slot = text;
    }
  }

  HostState& state_;
  std::deque<Token>& tokens_;
};

}  // namespace

bool LoadLinetypeInto(HostState& state, const std::string& name, const std::string& file) {
  auto type = FindLinetypeInFile(name, file);
  if (!type) return false;
  state.BeginChange();
  for (auto& existing : state.doc.lineTypes) {
    if (UpperAscii(existing.name) == UpperAscii(type->name)) {
      // Reloaded, it is still the drawing's entry of that name.
      const dxf::SourceLink source = existing.source;
      existing = *type;
      existing.source = source;
      return true;
    }
  }
  state.doc.lineTypes.push_back(*type);
  return true;
}

void RunCommandText(HostState& state, std::string_view text) {
  for (auto& run : SplitRuns(text)) Interpreter(state, run).Run();
}

}  // namespace vorn::cad::host
