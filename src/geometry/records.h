// Plain value records shared by every computation: points, lines and the entity records
// that acquisition reads from the drawing. Copied by value everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

struct TAcadPoint {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  friend bool operator==(const TAcadPoint&, const TAcadPoint&) = default;
};

// A segment from st to ed. In the kernel's lists id is a work mark: 0 keep, -1/-2 drop.
struct TLineEnt {
  int32_t id = 0;
  TAcadPoint st;
  TAcadPoint ed;
  double atumi = 0.0;                 // thickness along code210
  TAcadPoint code210{0.0, 0.0, 1.0};  // extrusion direction
};

struct TCircleEnt {
  TAcadPoint center;
  double hankei = 0.0;
  double atumi = 0.0;
  TAcadPoint code210{0.0, 0.0, 1.0};
};

struct TArcEnt {
  TAcadPoint center;
  double hankei = 0.0;
  double stdeg = 0.0;  // degrees
  double eddeg = 0.0;  // degrees
  double atumi = 0.0;
  TAcadPoint code210{0.0, 0.0, 1.0};
};

struct TEllipseEnt {
  TAcadPoint center;
  TAcadPoint endpoint;  // major-axis end relative to the centre
  double henpei = 1.0;  // minor-to-major ratio
  double kaisi = 0.0;   // start parameter
  double owari = 0.0;   // end parameter
  TAcadPoint code210{0.0, 0.0, 1.0};
};

struct TLwpEnt {
  std::string hand;
  int32_t code70 = 0;   // bit 1 = closed
  double code38 = 0.0;  // elevation
  double code39 = 0.0;  // thickness
  double atumi = 0.0;
  TAcadPoint code210{0.0, 0.0, 1.0};
};

struct TLwpEle {
  std::string hand;  // handle of the owning polyline
  TAcadPoint code10;
  double code42 = 0.0;  // bulge of the span that starts here
};

struct TFaceEnt {
  std::string hand;
  TAcadPoint p1, p2, p3, p4;
  TAcadPoint code210{0.0, 0.0, 1.0};
};

struct TTempPoint {
  int32_t id = 0;  // negative marks the point to be dropped
  TAcadPoint pt;
  std::string Name;  // grid label; empty shows the row number
};

struct TTextEnt {
  std::string id;
  std::string str;
  int32_t no = 0;
  int32_t code72 = 0;
  int32_t code73 = 0;
  TAcadPoint pt10;
  TAcadPoint pt11;
  double code40 = 0.0;
  double code50 = 0.0;
};

struct TInsertEnt {
  TAcadPoint base;
};

struct TPointEnt {
  TAcadPoint pt;
};

struct TSansya {
  int32_t no = 0;
  double teihen = 0.0;
  double takasa = 0.0;
  double menseki = 0.0;
};

struct TTateiti {
  int32_t no = 0;
  double kyori = 0.0;
  double takasa = 0.0;
  double houido = 0.0;
  double miagedo = 0.0;
  double rcosh = 0.0;
};

using LineList = std::vector<TLineEnt>;

}  // namespace vorn
