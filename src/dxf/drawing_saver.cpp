// Writing a drawing back into the file it came from. The file's groups are walked in their
// order and copied as read wherever the model still equals what the reader made of them;
// records the session changed are written from the model keeping their handle, owner,
// application groups and extended data; records it deleted are left out; what it added goes
// to the end of its table, block or section, written in the file's version with new handles.
#include "dxf/drawing_saver.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "dxf/ascii_case.h"
#include "dxf/code_page.h"
#include "dxf/drawing_source.h"
#include "dxf/dxf_document.h"
#include "dxf/dxf_reader.h"
#include "dxf/file_replace.h"
#include "dxf/number_format.h"
#include "dxf/writer_support.h"

namespace vorn::dxf {
namespace {

// From R13 on, entities and table entries carry their owner and subclass markers.
bool HasSubclassMarkers(std::string_view version) { return version >= "AC1012"; }

bool IsWorldZ(const TAcadPoint& p) { return p.x == 0.0 && p.y == 0.0 && p.z == 1.0; }

std::optional<unsigned long long> HandleValue(std::string_view text) {
  unsigned long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value == 0) {
    return std::nullopt;
  }
  return value;
}

bool SameBlockHeader(const Block& a, const Block& b) {
  return a.name == b.name && a.base == b.base && a.flags == b.flags;
}

// What a changed record keeps of the one it replaces: the groups other programs own.
struct KeptFrame {
  std::vector<const DxfTag*> applicationGroups;  // 102 "{APP" … 102 "}"
  std::string owner;                             // 330 outside application groups
  std::vector<const DxfTag*> extendedData;       // codes from 1000
  size_t followingBegin = 0, followingEnd = 0;   // ATTRIB … SEQEND after an INSERT
};

class KeepingWriter {
 public:
  KeepingWriter(const Drawing& drawing, const DrawingSource& source)
      : drawing_(drawing),
        source_(source),
        tags_(source.tags),
        modern_(HasSubclassMarkers(source.version)),
        encoding_(source.encoding) {
    LinkModel();
    ScanTables();
    next_ = source_.handleSeed;
    auto note = [&](const Entity& e) {
      if (const auto value = HandleValue(e.common.handle); value && *value >= next_) {
        next_ = *value + 1;
      }
    };
    std::for_each(drawing_.entities.begin(), drawing_.entities.end(), note);
    for (const auto& block : drawing_.blocks) {
      std::for_each(block.entities.begin(), block.entities.end(), note);
    }
    for (const Block* block : newBlocks_) {
      if (modern_) blockRecords_[UpperAscii(block->name)] = Fresh();
    }
    CollectMissingStyles();
  }

  DrawingOutput Write() {
    size_t i = 0;
    // Where each HEADER section goes, and its groups.
    std::vector<std::pair<size_t, std::pair<size_t, size_t>>> headers;
    while (i + 1 < tags_.size() && IsTag(tags_[i], 0, "SECTION")) {
      const std::string name(TrimmedValue(tags_[i + 1]));
      const size_t end = SectionEnd(i);
      AddMissingSectionsBefore(name);
      if (name == "HEADER") {
        headers.push_back({out_.size(), {i, end}});
      } else if (name == "TABLES") {
        WriteTables(i, end);
        tablesDone_ = true;
      } else if (name == "BLOCKS") {
        WriteBlocks(i, end);
        blocksDone_ = true;
      } else if (name == "ENTITIES") {
        WriteEntitiesSection(i, end);
        entitiesDone_ = true;
      } else {
        Raw(i, NextRecord(end));
      }
      i = NextRecord(end);
    }
    AddMissingSectionsBefore("EOF");
    Group(0, "EOF");
    // The header goes in last: its $HANDSEED is above every handle given out meanwhile.
    std::string body = std::move(out_);
    if (headers.empty()) {
      out_.clear();
      WriteNewHeader();
      body.insert(0, out_);
    }
    for (auto it = headers.rbegin(); it != headers.rend(); ++it) {
      out_.clear();
      WriteHeader(it->second.first, it->second.second);
      body.insert(it->first, out_);
    }
    return DrawingOutput{std::move(body), Notes()};
  }

 private:
  // ---- the source's structure
  size_t NextRecord(size_t at) const {
    size_t next = at + 1;
    while (next < tags_.size() && tags_[next].code != 0) ++next;
    return next;
  }
  size_t SectionEnd(size_t at) const {
    size_t end = at + 2;
    while (end < tags_.size() && !IsTag(tags_[end], 0, "ENDSEC")) ++end;
    return end;
  }
  size_t EntityEnd(size_t at) const {
    const auto known = source_.entityEnds.find(at);
    return known != source_.entityEnds.end() ? known->second : NextRecord(at);
  }
  // The value of the first `code` among the record's own groups, outside application groups.
  const DxfTag* OwnGroup(size_t at, int code) const {
    bool inApplicationGroup = false;
    for (size_t k = at + 1; k < NextRecord(at); ++k) {
      if (tags_[k].code == 102) {
        inApplicationGroup = TrimmedValue(tags_[k]).starts_with("{");
        continue;
      }
      if (!inApplicationGroup && tags_[k].code == code) return &tags_[k];
    }
    return nullptr;
  }

  // Which of the model's objects still stand for a record of the file; the others are new.
  // Layer 0 and the line type CONTINUOUS exist in every drawing, written or not: a file that
  // leaves them out does not get them, so an untouched drawing stays as it was.
  void LinkModel() {
    for (const auto& layer : drawing_.layers) {
      if (layer.source.tag && source_.layers.count(*layer.source.tag) &&
          layers_.emplace(*layer.source.tag, &layer).second) {
        continue;
      }
      if (layer.name != "0") newLayers_.push_back(&layer);
    }
    for (const auto& type : drawing_.lineTypes) {
      if (type.source.tag && source_.lineTypes.count(*type.source.tag) &&
          lineTypes_.emplace(*type.source.tag, &type).second) {
        continue;
      }
      if (UpperAscii(type.name) != "CONTINUOUS") newLineTypes_.push_back(&type);
    }
    for (const auto& block : drawing_.blocks) {
      if (block.source.tag && source_.blocks.count(*block.source.tag) &&
          blocks_.emplace(*block.source.tag, &block).second) {
        continue;
      }
      newBlocks_.push_back(&block);
    }
    // The block records of deleted blocks go with them.
    for (const auto& [tag, block] : source_.blocks) {
      if (blocks_.count(tag)) continue;
      if (const DxfTag* owner = OwnGroup(tag, 330)) {
        deletedBlockRecords_.insert(UpperAscii(TrimmedValue(*owner)));
      }
    }
  }

  // Table handles (owners of new entries), block record handles of the layouts (owners of new
  // entities) and the text styles the file defines.
  void ScanTables() {
    for (size_t i = 0; i + 1 < tags_.size(); ++i) {
      if (!IsTag(tags_[i], 0, "TABLE") || tags_[i + 1].code != 2) continue;
      const std::string table = UpperAscii(TrimmedValue(tags_[i + 1]));
      if (const DxfTag* handle = OwnGroup(i, 5)) {
        tableHandles_[table] = std::string(TrimmedValue(*handle));
      }
      for (size_t k = NextRecord(i); k < tags_.size() && !IsTag(tags_[k], 0, "ENDTAB");
           k = NextRecord(k)) {
        const DxfTag* name = OwnGroup(k, 2);
        if (!name) continue;
        const std::string upper = UpperAscii(TrimmedValue(*name));
        if (table == "STYLE") definedStyles_.insert(upper);
        if (table == "BLOCK_RECORD") {
          if (const DxfTag* handle = OwnGroup(k, 5)) {
            blockRecords_[upper] = std::string(TrimmedValue(*handle));
          }
        }
      }
    }
  }

  void CollectMissingStyles() {
    auto check = [&](const Entity& e) {
      const auto* text = std::get_if<dxf::Text>(&e.data);
      if (!text || text->style.empty() || UpperAscii(text->style) == "STANDARD") return;
      const std::string upper = UpperAscii(Encode(text->style));
      if (definedStyles_.count(upper)) return;
      definedStyles_.insert(upper);
      missingStyles_.push_back(text->style);
    };
    std::for_each(drawing_.entities.begin(), drawing_.entities.end(), check);
    for (const auto& block : drawing_.blocks) {
      std::for_each(block.entities.begin(), block.entities.end(), check);
    }
  }

  // ---- handles
  std::string Fresh() {
    while (taken_.count(next_)) ++next_;
    taken_.insert(next_);
    return HexHandle(next_++);
  }
  // A new entity keeps the handle the session gave it when that is above every handle of the
  // file and not yet given out.
  std::string NewHandle(const std::string& handle) {
    const auto value = HandleValue(handle);
    if (value && *value >= source_.handleSeed && taken_.insert(*value).second) {
      return HexHandle(*value);
    }
    return Fresh();
  }

  // ---- groups
  void Raw(const DxfTag& tag) {
    out_ += GroupCode(tag.code);
    out_ += "\r\n";
    out_ += tag.value;
    out_ += "\r\n";
  }
  void Raw(size_t begin, size_t end) {
    for (size_t k = begin; k < end && k < tags_.size(); ++k) Raw(tags_[k]);
  }
  void Group(int code, std::string_view bytes) { AppendGroup(out_, code, bytes); }
  std::string Encode(const std::string& utf8) {
    auto known = encoded_.find(utf8);
    if (known == encoded_.end()) {
      const std::string escaped = EscapeForEncoding(utf8, encoding_);
      known = encoded_.emplace(utf8, Utf8ToEncoding(escaped, encoding_)).first;
    }
    return known->second;
  }
  void Name(int code, const std::string& utf8) { Group(code, Encode(utf8)); }
  void Number(int code, double value) { Group(code, FiniteNumberText(code, value, current_)); }
  void Flags(int code, int value) { Group(code, Int6(value)); }
  void Integer(int code, int value) { Group(code, std::to_string(value)); }
  void PointGroups(int base, const TAcadPoint& p) {
    Number(base, p.x);
    Number(base + 10, p.y);
    Number(base + 20, p.z);
  }
  void Marker(std::string_view subclass) {
    if (modern_) Group(100, subclass);
  }

  // ---- header
  void WriteHeader(size_t begin, size_t end) {
    bool hasVersion = false, hasCodePage = false, hasSeed = false;
    for (size_t k = begin; k < end; ++k) {
      hasVersion = hasVersion || IsTag(tags_[k], 9, "$ACADVER");
      hasCodePage = hasCodePage || IsTag(tags_[k], 9, "$DWGCODEPAGE");
    }
    Raw(begin, begin + 2);
    if (!hasVersion) WriteVersion();
    for (size_t k = begin + 2; k < end; ++k) {
      if (k > begin && IsTag(tags_[k - 1], 9, "$HANDSEED") && tags_[k].code == 5) {
        Group(5, HexHandle(next_));
        hasSeed = true;
        continue;
      }
      Raw(tags_[k]);
    }
    // The code page the text was read with is written down, so every reader takes it so.
    if (!hasCodePage) WriteCodePage();
    if (!hasSeed) WriteSeed();
    Raw(end, NextRecord(end));
  }
  void WriteNewHeader() {
    Group(0, "SECTION");
    Group(2, "HEADER");
    WriteVersion();
    WriteCodePage();
    WriteSeed();
    Group(0, "ENDSEC");
  }
  void WriteVersion() {
    Group(9, "$ACADVER");
    Group(1, source_.version);
  }
  void WriteCodePage() {
    Group(9, "$DWGCODEPAGE");
    Group(3, source_.codePage);
  }
  void WriteSeed() {
    Group(9, "$HANDSEED");
    Group(5, HexHandle(next_));
  }

  // ---- sections the file lacks but the additions need
  bool NeedsTables() const {
    return !newLayers_.empty() || !newLineTypes_.empty() || !missingStyles_.empty() ||
           (modern_ && !newBlocks_.empty());
  }
  bool NewModelEntities() const {
    return std::any_of(drawing_.entities.begin(), drawing_.entities.end(),
                       [](const Entity& e) { return !e.source.tag; });
  }
  void AddMissingSectionsBefore(std::string_view section) {
    const bool afterTables = section != "HEADER" && section != "CLASSES" && section != "TABLES";
    if (afterTables && !tablesDone_) {
      tablesDone_ = true;
      if (NeedsTables()) {
        Group(0, "SECTION");
        Group(2, "TABLES");
        AddMissingTables({});
        Group(0, "ENDSEC");
      }
    }
    if (afterTables && section != "BLOCKS" && !blocksDone_) {
      blocksDone_ = true;
      if (!newBlocks_.empty()) {
        Group(0, "SECTION");
        Group(2, "BLOCKS");
        for (const Block* block : newBlocks_) WriteNewBlock(*block);
        newBlocksWritten_ = true;
        Group(0, "ENDSEC");
      }
    }
    const bool afterEntities = afterTables && section != "BLOCKS" && section != "ENTITIES";
    if (afterEntities && !entitiesDone_) {
      entitiesDone_ = true;
      if (NewModelEntities()) {
        Group(0, "SECTION");
        Group(2, "ENTITIES");
        WriteContainer(0, 0, drawing_.entities, "");
        Group(0, "ENDSEC");
      }
    }
  }

  // ---- tables
  void WriteTables(size_t begin, size_t end) {
    Raw(begin, begin + 2);
    std::set<std::string> seen;
    size_t k = begin + 2;
    while (k < end) {
      if (!IsTag(tags_[k], 0, "TABLE")) {  // stray records the reader let pass
        Raw(k, NextRecord(k));
        k = NextRecord(k);
        continue;
      }
      const std::string table =
          k + 1 < end && tags_[k + 1].code == 2 ? UpperAscii(TrimmedValue(tags_[k + 1])) : "";
      seen.insert(table);
      size_t entry = NextRecord(k);
      Raw(k, entry);
      while (entry < end && !IsTag(tags_[entry], 0, "ENDTAB")) {
        const size_t next = NextRecord(entry);
        WriteTableEntry(table, entry, next);
        entry = next;
      }
      AddEntries(table);
      const size_t after = NextRecord(entry);
      Raw(entry, std::min(after, end));
      k = after;
    }
    AddMissingTables(seen);
    Raw(end, NextRecord(end));
  }

  void WriteTableEntry(const std::string& table, size_t begin, size_t end) {
    const std::string type = UpperAscii(TrimmedValue(tags_[begin]));
    if (table == "LAYER" && type == "LAYER") {
      const auto it = layers_.find(begin);
      if (it == layers_.end()) return;
      if (*it->second == source_.layers.at(begin)) return Raw(begin, end);
      const Layer& layer = *it->second;
      current_ = "layer " + layer.name;
      return Patched(begin, end,
                     {{2, Encode(layer.name)},
                      {70, Int6(layer.flags)},
                      {62, std::to_string(layer.colour)},
                      {6, Encode(layer.lineType.empty() ? "CONTINUOUS" : layer.lineType)}});
    }
    if (table == "LTYPE" && type == "LTYPE") {
      const auto it = lineTypes_.find(begin);
      if (it == lineTypes_.end()) return;
      if (*it->second == source_.lineTypes.at(begin)) return Raw(begin, end);
      return WriteLineType(*it->second, begin);
    }
    if (table == "BLOCK_RECORD" && type == "BLOCK_RECORD") {
      const DxfTag* handle = OwnGroup(begin, 5);
      if (handle && deletedBlockRecords_.count(UpperAscii(TrimmedValue(*handle)))) return;
    }
    Raw(begin, end);
  }

  // The record with the values of `groups` replaced where it has them and added where not.
  void Patched(size_t begin, size_t end, const std::vector<std::pair<int, std::string>>& groups) {
    std::set<int> done;
    bool inApplicationGroup = false;
    size_t extendedData = end;
    for (size_t k = begin + 1; k < end; ++k) {
      if (tags_[k].code >= 1000) {
        extendedData = k;
        break;
      }
    }
    Raw(tags_[begin]);
    for (size_t k = begin + 1; k < extendedData; ++k) {
      const DxfTag& tag = tags_[k];
      if (tag.code == 102) inApplicationGroup = TrimmedValue(tag).starts_with("{");
      const auto replaced = std::find_if(groups.begin(), groups.end(),
                                         [&](const auto& g) { return g.first == tag.code; });
      if (!inApplicationGroup && replaced != groups.end() && done.insert(tag.code).second) {
        Group(tag.code, replaced->second);
      } else {
        Raw(tag);
      }
    }
    for (const auto& [code, value] : groups) {
      if (!done.count(code)) Group(code, value);
    }
    Raw(extendedData, end);
  }

  void OpenTableEntry(std::string_view type, std::string_view table, std::string_view subclass,
                      const std::string& handle) {
    Group(0, type);
    if (modern_) {
      Group(5, handle);
      const auto owner = tableHandles_.find(std::string(table));
      if (owner != tableHandles_.end()) Group(330, owner->second);
      Group(100, "AcDbSymbolTableRecord");
      Group(100, subclass);
    }
  }

  void WriteLayer(const Layer& layer) {
    current_ = "layer " + layer.name;
    OpenTableEntry("LAYER", "LAYER", "AcDbLayerTableRecord", Fresh());
    Name(2, layer.name);
    Flags(70, layer.flags);
    Integer(62, layer.colour);
    Name(6, layer.lineType.empty() ? std::string("CONTINUOUS") : layer.lineType);
  }

  // A changed line type keeps the handle and owner of the entry it replaces.
  void WriteLineType(const LineType& type, std::optional<size_t> replacing) {
    current_ = "line type " + type.name;
    std::string handle;
    if (replacing) {
      if (const DxfTag* kept = OwnGroup(*replacing, 5)) handle = std::string(TrimmedValue(*kept));
    }
    OpenTableEntry("LTYPE", "LTYPE", "AcDbLinetypeTableRecord", handle.empty() ? Fresh() : handle);
    Name(2, type.name);
    Flags(70, 0);
    Name(3, type.description);
    Flags(72, 65);
    Flags(73, static_cast<int>(type.elements.size()));
    Number(40, type.patternLength);
    for (double element : type.elements) {
      Number(49, element);
      if (modern_) Flags(74, 0);
    }
  }

  void WriteStyle(const std::string& name) {
    current_ = "text style " + name;
    OpenTableEntry("STYLE", "STYLE", "AcDbTextStyleTableRecord", Fresh());
    Name(2, name);
    Flags(70, 0);
    Number(40, 0.0);
    Number(41, 1.0);
    Number(50, 0.0);
    Flags(71, 0);
    Number(42, 2.5);
    Group(3, "txt");
    Group(4, "");
  }

  void WriteBlockRecord(const Block& block) {
    current_ = "block record " + block.name;
    OpenTableEntry("BLOCK_RECORD", "BLOCK_RECORD", "AcDbBlockTableRecord",
                   blockRecords_.at(UpperAscii(block.name)));
    Name(2, block.name);
  }

  // Into the first table of that name only, should the file have two.
  void AddEntries(const std::string& table) {
    if (!entriesAdded_.insert(table).second) return;
    if (table == "LAYER") {
      for (const Layer* layer : newLayers_) WriteLayer(*layer);
    } else if (table == "LTYPE") {
      for (const LineType* type : newLineTypes_) WriteLineType(*type, std::nullopt);
    } else if (table == "STYLE") {
      for (const auto& name : missingStyles_) WriteStyle(name);
    } else if (table == "BLOCK_RECORD" && modern_) {
      for (const Block* block : newBlocks_) WriteBlockRecord(*block);
    }
  }

  void AddMissingTables(const std::set<std::string>& seen) {
    const std::pair<const char*, bool> tables[] = {
        {"LTYPE", !newLineTypes_.empty()},
        {"LAYER", !newLayers_.empty()},
        {"STYLE", !missingStyles_.empty()},
        {"BLOCK_RECORD", modern_ && !newBlocks_.empty()}};
    for (const auto& [table, needed] : tables) {
      if (!needed || seen.count(table) || entriesAdded_.count(table)) continue;
      Group(0, "TABLE");
      Group(2, table);
      if (modern_) {
        tableHandles_[table] = Fresh();
        Group(5, tableHandles_[table]);
        Group(330, "0");
        Group(100, "AcDbSymbolTable");
      }
      Flags(70, 0);
      AddEntries(table);
      Group(0, "ENDTAB");
    }
  }

  // ---- blocks
  void WriteBlocks(size_t begin, size_t end) {
    Raw(begin, begin + 2);
    size_t k = begin + 2;
    while (k < end) {
      if (!IsTag(tags_[k], 0, "BLOCK")) {
        Raw(k, NextRecord(k));
        k = NextRecord(k);
        continue;
      }
      const size_t first = NextRecord(k);
      size_t endBlock = first;
      while (endBlock < end && !IsTag(tags_[endBlock], 0, "ENDBLK")) endBlock = EntityEnd(endBlock);
      const size_t after = std::min(NextRecord(endBlock), end);
      const auto it = blocks_.find(k);
      if (it != blocks_.end()) WriteKeptBlock(*it->second, k, first, endBlock, after);
      k = after;
    }
    if (!newBlocksWritten_) {
      for (const Block* block : newBlocks_) WriteNewBlock(*block);
    }
    newBlocksWritten_ = true;
    Raw(end, NextRecord(end));
  }

  void WriteKeptBlock(const Block& block, size_t begin, size_t first, size_t endBlock,
                      size_t after) {
    current_ = "block " + block.name;
    if (SameBlockHeader(block, source_.blocks.at(begin))) {
      Raw(begin, first);
    } else {
      Patched(begin, first,
              {{2, Encode(block.name)},
               {70, Int6(block.flags)},
               {10, FormatGeneral(block.base.x)},
               {20, FormatGeneral(block.base.y)},
               {30, FormatGeneral(block.base.z)},
               {3, Encode(block.name)}});
    }
    const DxfTag* owner = OwnGroup(begin, 330);
    WriteContainer(first, endBlock, block.entities,
                   owner ? std::string(TrimmedValue(*owner)) : BlockRecordOf(block.name));
    Raw(endBlock, after);
  }

  std::string BlockRecordOf(const std::string& name) {
    const auto it = blockRecords_.find(UpperAscii(Encode(name)));
    if (it != blockRecords_.end()) return it->second;
    const auto byName = blockRecords_.find(UpperAscii(name));
    return byName != blockRecords_.end() ? byName->second : std::string();
  }

  void WriteNewBlock(const Block& block) {
    current_ = "block " + block.name;
    const std::string record = modern_ ? blockRecords_.at(UpperAscii(block.name)) : "";
    const std::string layer = block.layer.empty() ? std::string("0") : block.layer;
    Group(0, "BLOCK");
    Group(5, Fresh());
    if (modern_) {
      Group(330, record);
      Group(100, "AcDbEntity");
    }
    Name(8, layer);
    Marker("AcDbBlockBegin");
    Name(2, block.name);
    Flags(70, block.flags);
    PointGroups(10, block.base);
    Name(3, block.name);
    if (modern_) Group(1, "");
    WriteContainer(0, 0, block.entities, record);
    Group(0, "ENDBLK");
    Group(5, Fresh());
    if (modern_) {
      Group(330, record);
      Group(100, "AcDbEntity");
    }
    Name(8, layer);
    Marker("AcDbBlockEnd");
  }

  // ---- entities
  void WriteEntitiesSection(size_t begin, size_t end) {
    Raw(begin, begin + 2);
    WriteContainer(begin + 2, end, drawing_.entities, "");
    Raw(end, NextRecord(end));
  }

  std::string LayoutOwner(bool paperSpace) const {
    const auto it = blockRecords_.find(paperSpace ? "*PAPER_SPACE" : "*MODEL_SPACE");
    return it != blockRecords_.end() ? it->second : std::string();
  }

  // The entities of one container: the file's records in their order, each as read, changed or
  // left out, then the ones the session added. An empty owner stands for the layouts.
  void WriteContainer(size_t begin, size_t end, const std::vector<Entity>& entities,
                      const std::string& owner) {
    std::map<size_t, const Entity*> linked;
    std::vector<const Entity*> added;
    for (const auto& e : entities) {
      const auto tag = e.source.tag;
      const bool fromFile = tag && source_.entities.count(*tag);
      if (fromFile && *tag >= begin && *tag < end && linked.emplace(*tag, &e).second) continue;
      // An entity of another section of the same kind is written there; one the session added
      // goes to the first.
      if (fromFile && *tag >= begin && *tag < end) {
        if (written_.insert(&e).second) added.push_back(&e);  // a second claim on a record
      } else if (!fromFile && written_.insert(&e).second) {
        added.push_back(&e);
      }
    }
    for (size_t k = begin; k < end;) {
      const size_t next = std::max(EntityEnd(k), k + 1);
      const auto modelled = source_.entities.find(k);
      if (modelled == source_.entities.end()) {
        Raw(k, next);  // a kind the host does not model: as read
      } else if (const auto it = linked.find(k); it != linked.end()) {
        WriteKept(*it->second, modelled->second, k, next, owner);
      }  // else: deleted in the session
      k = next;
    }
    for (const Entity* e : added) {
      const std::string entityOwner = owner.empty() ? LayoutOwner(e->common.paperSpace) : owner;
      WriteEntity(*e, NewHandle(e->common.handle), entityOwner, KeptFrame{});
    }
  }

  void WriteKept(const Entity& entity, const Entity& asRead, size_t begin, size_t end,
                 const std::string& owner) {
    Entity unchanged = entity;
    unchanged.common.handle = asRead.common.handle;
    if (unchanged == asRead) {
      if (entity.common.handle == asRead.common.handle) return Raw(begin, end);
      // The session renumbered a missing or repeated handle: the record keeps its other groups
      // and gets the one handle in place of whatever it had.
      ++renumbered_;
      const size_t first = NextRecord(begin);
      Raw(tags_[begin]);
      Group(5, entity.common.handle);
      bool inApplicationGroup = false;
      for (size_t k = begin + 1; k < first; ++k) {
        if (tags_[k].code == 102) inApplicationGroup = TrimmedValue(tags_[k]).starts_with("{");
        if (tags_[k].code != 5 || inApplicationGroup) Raw(tags_[k]);
      }
      return Raw(first, end);
    }
    KeptFrame frame = FrameOf(begin, end);
    const std::string entityOwner = !frame.owner.empty() ? frame.owner
                                    : owner.empty()      ? LayoutOwner(entity.common.paperSpace)
                                                         : owner;
    WriteEntity(entity, entity.common.handle.empty() ? Fresh() : entity.common.handle, entityOwner,
                frame);
  }

  KeptFrame FrameOf(size_t begin, size_t end) const {
    KeptFrame frame;
    const size_t first = NextRecord(begin);
    bool inApplicationGroup = false;
    for (size_t k = begin + 1; k < first; ++k) {
      const DxfTag& tag = tags_[k];
      if (tag.code == 102) {
        inApplicationGroup = TrimmedValue(tag).starts_with("{");
        frame.applicationGroups.push_back(&tag);
      } else if (inApplicationGroup) {
        frame.applicationGroups.push_back(&tag);
      } else if (tag.code >= 1000) {
        frame.extendedData.push_back(&tag);
      } else if (tag.code == 330 && frame.owner.empty()) {
        frame.owner = std::string(TrimmedValue(tag));
      }
    }
    if (IsTag(tags_[begin], 0, "INSERT") && first < end) {
      frame.followingBegin = first;
      frame.followingEnd = end;
    }
    return frame;
  }

  void Open(std::string_view type, const Entity& entity, const std::string& handle,
            const std::string& owner, const KeptFrame& frame) {
    const EntityCommon& common = entity.common;
    current_ = std::string(type) + " " + handle;
    Group(0, type);
    Group(5, handle);
    for (const DxfTag* tag : frame.applicationGroups) Raw(*tag);
    if (modern_) {
      if (!owner.empty()) Group(330, owner);
      Group(100, "AcDbEntity");
      if (common.paperSpace) Flags(67, 1);
    }
    Name(8, common.layer.empty() ? std::string("0") : common.layer);
    // An empty line type name names none: the entity keeps its layer's, as without group 6.
    if (common.lineType && !common.lineType->empty()) Name(6, *common.lineType);
    if (common.colour) Integer(62, *common.colour);
    if (!modern_ && common.paperSpace) Flags(67, 1);
  }
  void Thickness(const EntityCommon& common) {
    if (common.thickness != 0.0) Number(39, common.thickness);
  }
  void Extrusion(const EntityCommon& common) {
    if (!IsWorldZ(common.extrusion)) PointGroups(210, common.extrusion);
  }
  void Close(const KeptFrame& frame) {
    for (const DxfTag* tag : frame.extendedData) Raw(*tag);
  }

  void WriteEntity(const Entity& entity, const std::string& handle, const std::string& owner,
                   const KeptFrame& frame) {
    std::visit([&](const auto& data) { Write(entity, data, handle, owner, frame); }, entity.data);
  }

  void Write(const Entity& e, const Line& line, const std::string& handle, const std::string& owner,
             const KeptFrame& frame) {
    Open("LINE", e, handle, owner, frame);
    Marker("AcDbLine");
    Thickness(e.common);
    PointGroups(10, line.start);
    PointGroups(11, line.end);
    Extrusion(e.common);
    Close(frame);
  }
  void Write(const Entity& e, const Circle& circle, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    Open("CIRCLE", e, handle, owner, frame);
    Marker("AcDbCircle");
    Thickness(e.common);
    PointGroups(10, circle.centre);
    Number(40, circle.radius);
    Extrusion(e.common);
    Close(frame);
  }
  void Write(const Entity& e, const Arc& arc, const std::string& handle, const std::string& owner,
             const KeptFrame& frame) {
    Open("ARC", e, handle, owner, frame);
    Marker("AcDbCircle");
    Thickness(e.common);
    PointGroups(10, arc.centre);
    Number(40, arc.radius);
    Extrusion(e.common);
    Marker("AcDbArc");
    Number(50, arc.startAngle);
    Number(51, arc.endAngle);
    Close(frame);
  }
  void Write(const Entity& e, const Point& point, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    Open("POINT", e, handle, owner, frame);
    Marker("AcDbPoint");
    PointGroups(10, point.position);
    Thickness(e.common);
    Extrusion(e.common);
    Close(frame);
  }
  void Write(const Entity& e, const dxf::Text& text, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    Open("TEXT", e, handle, owner, frame);
    Marker("AcDbText");
    Thickness(e.common);
    PointGroups(10, text.position);
    Number(40, text.height);
    Name(1, text.text);
    if (text.rotation != 0.0) Number(50, text.rotation);
    if (text.widthFactor != 1.0) Number(41, text.widthFactor);
    if (!text.style.empty() && UpperAscii(text.style) != "STANDARD") Name(7, text.style);
    if (text.horizontal != 0) Flags(72, text.horizontal);
    if (text.horizontal != 0 || text.vertical != 0) PointGroups(11, text.alignment);
    Extrusion(e.common);
    Marker("AcDbText");
    if (text.vertical != 0) Flags(73, text.vertical);
    Close(frame);
  }
  void Write(const Entity& e, const Insert& insert, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    Open("INSERT", e, handle, owner, frame);
    Marker("AcDbBlockReference");
    const bool attributes = frame.followingEnd > frame.followingBegin;
    if (attributes) Flags(66, 1);
    Name(2, insert.blockName);
    PointGroups(10, insert.position);
    if (insert.scale.x != 1.0) Number(41, insert.scale.x);
    if (insert.scale.y != 1.0) Number(42, insert.scale.y);
    if (insert.scale.z != 1.0) Number(43, insert.scale.z);
    if (insert.rotation != 0.0) Number(50, insert.rotation);
    Extrusion(e.common);
    Close(frame);
    if (attributes) Raw(frame.followingBegin, frame.followingEnd);
  }
  void Write(const Entity& e, const Ellipse& ellipse, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    if (!modern_) return WriteEllipseAsPolyline(e, ellipse, handle, owner, frame);
    Open("ELLIPSE", e, handle, owner, frame);
    Marker("AcDbEllipse");
    PointGroups(10, ellipse.centre);
    PointGroups(11, ellipse.majorAxis);
    Extrusion(e.common);
    Number(40, ellipse.ratio);
    Number(41, ellipse.startParam);
    Number(42, ellipse.endParam);
    Close(frame);
  }
  void Write(const Entity& e, const LwPolyline& polyline, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    if (!modern_) {
      ++lwPolylinesAsPolylines_;
      Polyline old{polyline.closed ? 1 : 0, polyline.elevation, {}};
      for (const auto& v : polyline.vertices) old.vertices.push_back({{v.x, v.y, 0.0}, v.bulge, 0});
      return Write(e, old, handle, owner, frame);
    }
    Open("LWPOLYLINE", e, handle, owner, frame);
    Marker("AcDbPolyline");
    Integer(90, static_cast<int>(polyline.vertices.size()));
    Flags(70, polyline.closed ? 1 : 0);
    if (polyline.elevation != 0.0) Number(38, polyline.elevation);
    Thickness(e.common);
    for (const auto& v : polyline.vertices) {
      Number(10, v.x);
      Number(20, v.y);
      if (v.bulge != 0.0) Number(42, v.bulge);
    }
    Extrusion(e.common);
    Close(frame);
  }
  void Write(const Entity& e, const Polyline& polyline, const std::string& handle,
             const std::string& owner, const KeptFrame& frame) {
    const bool is3D = (polyline.flags & 8) != 0;
    Open("POLYLINE", e, handle, owner, frame);
    Marker(is3D ? "AcDb3dPolyline" : "AcDb2dPolyline");
    Flags(66, 1);
    PointGroups(10, {0.0, 0.0, polyline.elevation});
    Thickness(e.common);
    Flags(70, polyline.flags);
    Extrusion(e.common);
    Close(frame);
    for (const auto& vertex : polyline.vertices) {
      Group(0, "VERTEX");
      Group(5, Fresh());
      if (modern_) {
        Group(330, handle);
        Group(100, "AcDbEntity");
      }
      Name(8, e.common.layer.empty() ? std::string("0") : e.common.layer);
      Marker("AcDbVertex");
      Marker(is3D ? "AcDb3dPolylineVertex" : "AcDb2dVertex");
      PointGroups(10, vertex.point);
      if (vertex.bulge != 0.0) Number(42, vertex.bulge);
      const int flags = is3D ? (vertex.flags | 32) : vertex.flags;
      if (flags != 0) Flags(70, flags);
    }
    Group(0, "SEQEND");
    Group(5, Fresh());
    if (modern_) {
      Group(330, handle);
      Group(100, "AcDbEntity");
    }
    Name(8, e.common.layer.empty() ? std::string("0") : e.common.layer);
  }

  // R12 has no ELLIPSE: a polyline through points of it (a 3D one when it is tilted).
  void WriteEllipseAsPolyline(const Entity& e, const Ellipse& ellipse, const std::string& handle,
                              const std::string& owner, const KeptFrame& frame) {
    ++ellipsesAsPolylines_;
    const EllipsePoints sample = SampleEllipse(ellipse, e.common.extrusion);
    const bool flat = IsWorldZ(e.common.extrusion) && ellipse.majorAxis.z == 0.0;
    Entity outline = e;
    outline.common.extrusion = {0, 0, 1};
    if (!flat) outline.common.thickness = 0.0;
    Polyline polyline{(sample.closed ? 1 : 0) | (flat ? 0 : 8), flat ? ellipse.centre.z : 0.0, {}};
    for (const auto& p : sample.points) {
      polyline.vertices.push_back({flat ? TAcadPoint{p.x, p.y, 0.0} : p, 0.0, 0});
    }
    Write(outline, polyline, handle, owner, frame);
  }

  std::vector<std::string> Notes() const {
    std::vector<std::string> notes;
    auto add = [&](int count, const std::string& what) {
      if (count > 0) notes.push_back(std::to_string(count) + " " + what);
    };
    add(source_.comments, "comment(s) (group 999) left out");
    add(renumbered_, "entity handle(s) renumbered");
    add(ellipsesAsPolylines_, "ellipse(s) written as polylines, which R12 has instead");
    add(lwPolylinesAsPolylines_, "lightweight polyline(s) written as R12 polylines");
    return notes;
  }

  const Drawing& drawing_;
  const DrawingSource& source_;
  const std::vector<DxfTag>& tags_;
  bool modern_;
  std::string encoding_;
  std::string out_;
  std::string current_;  // what is being written, for error messages

  std::map<size_t, const Layer*> layers_;
  std::map<size_t, const LineType*> lineTypes_;
  std::map<size_t, const Block*> blocks_;
  std::vector<const Layer*> newLayers_;
  std::vector<const LineType*> newLineTypes_;
  std::vector<const Block*> newBlocks_;
  std::set<std::string> deletedBlockRecords_;  // handles, upper case
  std::map<std::string, std::string> tableHandles_;
  std::map<std::string, std::string> blockRecords_;  // upper-case name -> handle
  std::set<std::string> definedStyles_;              // upper-case names as stored
  std::vector<std::string> missingStyles_;
  std::map<std::string, std::string> encoded_;

  unsigned long long next_ = 1;
  std::set<unsigned long long> taken_;
  bool tablesDone_ = false, blocksDone_ = false, entitiesDone_ = false;
  bool newBlocksWritten_ = false;
  std::set<std::string> entriesAdded_;
  std::set<const Entity*> written_;  // added entities already written
  int renumbered_ = 0, ellipsesAsPolylines_ = 0, lwPolylinesAsPolylines_ = 0;
};

}  // namespace

std::string DrawingOutput::Describe() const {
  std::string text;
  for (const auto& note : notes) {
    if (!text.empty()) text += "; ";
    text += note;
  }
  return text;
}

DrawingOutput WriteDrawing(const Drawing& drawing) {
  if (!drawing.source.file) {
    R12Output r12 = WriteDrawingR12WithNotes(drawing);
    DrawingOutput output{std::move(r12.bytes), {}};
    if (const std::string note = r12.notes.Describe(); !note.empty()) {
      output.notes.push_back(note);
    }
    return output;
  }
  try {
    return KeepingWriter(drawing, *drawing.source.file).Write();
  } catch (const CodePageError& error) {
    throw DxfSaveError(std::string("the drawing's text cannot be written: ") + error.what());
  }
}

std::string SaveDrawing(const Drawing& drawing, const std::filesystem::path& path) {
  const DrawingOutput output = WriteDrawing(drawing);
  ReplaceFileContents(path, output.bytes);
  return output.Describe();
}

}  // namespace vorn::dxf
