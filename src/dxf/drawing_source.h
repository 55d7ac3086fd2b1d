// The file a drawing was read from, kept whole beside the model the reader built from it, so
// that saving can write back everything the session did not change exactly as it was read:
// sections, table entries, blocks and objects the host does not model, entities of kinds it
// does not know, handles, owners, extended data and reactors.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "dxf/dxf_drawing.h"
#include "dxf/dxf_tags.h"

namespace vorn::dxf {

struct DrawingSource {
  // Every group of the file up to EOF (comments left out), values as stored.
  std::vector<DxfTag> tags;
  std::string version;   // $ACADVER as read ("AC1009" when the header has none)
  std::string codePage;  // $DWGCODEPAGE as read (ANSI_932 when the header has none)
  std::string encoding;  // how the file stores text: its code page, or UTF-8 from AC1021
  unsigned long long handleSeed = 1;  // above every handle of the file and its $HANDSEED
  int comments = 0;                   // 999 groups, which are not kept

  // Each entity's tag range: its first tag to one past its last, taking in the VERTEX, ATTRIB
  // and SEQEND records that belong to it. Unknown kinds included.
  std::map<size_t, size_t> entityEnds;
  // What the reader made of the records it models, by the record's first tag. Saving writes a
  // record back as read while the model still equals this.
  std::map<size_t, Entity> entities;
  std::map<size_t, Layer> layers;
  std::map<size_t, LineType> lineTypes;
  std::map<size_t, Block> blocks;  // the BLOCK record's values; entities left empty
};

}  // namespace vorn::dxf
