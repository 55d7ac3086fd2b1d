#include "dxf/dxf_document.h"

#include <cstdio>
#include <fstream>
#include <system_error>

#include "dxf/code_page.h"
#include "dxf/file_replace.h"
#include "dxf/number_format.h"

namespace vorn {

std::string DxfDocument::Text() const {
  std::string text;
  for (const auto& item : items_) {
    text += item;
    text += "\r\n";
  }
  return text;
}

void DxfDocument::SaveToFile(const std::filesystem::path& path, std::string_view encoding) const {
  ReplaceFileContents(path, Utf8ToEncoding(Text(), encoding));
}

void AddFrameOpening(DxfDocument& doc, bool withLineTypeTable) {
  doc.Add("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC");
  if (withLineTypeTable) {
    doc.Add("  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE");
    AddLineTypeTable(doc);
    doc.Add("  0\r\nENDSEC");
  }
  doc.Add("  0\r\nSECTION\r\n  2\r\nENTITIES");
}

void AddLineTypeTable(DxfDocument& doc) {
  doc.Add("  2\r\nLTYPE");
  doc.Add("  0\r\nLTYPE\r\n  2\r\nHIDDEN2\r\n 70\r\n     0");
  doc.Add("  3\r\nHidden (.5x) _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _ _");
  doc.Add(" 72\r\n    65\r\n 73\r\n     2");
  doc.Add(" 40\r\n4.7625\r\n 49\r\n3.175\r\n 49\r\n-1.5875");
  doc.Add("  0\r\nENDTAB");
}

void AddFrameClosing(DxfDocument& doc) { doc.Add("  0\r\nENDSEC\r\n  0\r\nEOF"); }

std::string DxfGroup(int code, std::string_view value) {
  std::string item = GroupCode(code);
  item += "\r\n";
  item += value;
  return item;
}

std::string DxfGroup(int code, double value) { return DxfGroup(code, FormatGeneral(value)); }

namespace {

void AddStyle(DxfDocument& doc, const DxfLineStyle& style) {
  if (style.hidden2) doc.Add("  6\r\nHIDDEN2");
  if (style.colour) doc.Add(" 62\r\n" + std::to_string(*style.colour));
}

}  // namespace

void AddDxfLine(DxfDocument& doc, std::string_view layer, const TAcadPoint& p1,
                const TAcadPoint& p2, const DxfLineStyle& style) {
  doc.Add("  0\r\nLINE\r\n  8\r\n" + std::string(layer));
  AddStyle(doc, style);
  doc.Add(DxfGroup(10, p1.x));
  doc.Add(DxfGroup(20, p1.y));
  doc.Add(" 30\r\n0.0");
  doc.Add(DxfGroup(11, p2.x));
  doc.Add(DxfGroup(21, p2.y));
  doc.Add(" 31\r\n0.0");
}

void AddDxfPolyline(DxfDocument& doc, std::string_view layer,
                    const std::vector<DxfVertex>& vertices, bool closed, const DxfLineStyle& style,
                    std::optional<double> elevation) {
  doc.Add("  0\r\nPOLYLINE\r\n  8\r\n" + std::string(layer));
  AddStyle(doc, style);
  doc.Add(" 66\r\n     1\r\n 10\r\n0.0");
  doc.Add(elevation ? " 20\r\n0.0\r\n 30\r\n" + FormatGeneral(*elevation)
                    : std::string(" 20\r\n0.0\r\n 30\r\n0.0"));
  doc.Add(closed ? " 70\r\n     1" : " 70\r\n     0");
  for (const auto& v : vertices) {
    doc.Add("  0\r\nVERTEX\r\n  8\r\n" + std::string(layer));
    doc.Add(DxfGroup(10, v.x));
    doc.Add(DxfGroup(20, v.y));
    if (v.bulge) doc.Add(DxfGroup(42, *v.bulge));
  }
  doc.Add("  0\r\nSEQEND");
}

void AddDxfText(DxfDocument& doc, const DxfText& text) {
  doc.Add("  0\r\nTEXT\r\n  8\r\n" + text.layer);
  doc.Add(DxfGroup(10, text.position.x));
  doc.Add(DxfGroup(20, text.position.y));
  doc.Add(DxfGroup(30, text.position.z));
  doc.Add(DxfGroup(40, text.height));
  doc.Add("  1\r\n" + text.text);
  doc.Add(" 41\r\n0.8");
  if (text.rotationDegrees) doc.Add(DxfGroup(50, *text.rotationDegrees));
  if (text.alignment) {
    doc.Add(" 72\r\n" + std::to_string(text.alignment->horizontal));
    doc.Add(" 73\r\n" + std::to_string(text.alignment->vertical));
    doc.Add(DxfGroup(11, text.alignment->point.x));
    doc.Add(DxfGroup(21, text.alignment->point.y));
    doc.Add(DxfGroup(31, text.alignment->point.z));
  }
}

void AddDxfCircle(DxfDocument& doc, std::string_view layer, const TAcadPoint& centre,
                  double radius) {
  doc.Add("  0\r\nCIRCLE\r\n  8\r\n" + std::string(layer));
  doc.Add(DxfGroup(10, centre.x));
  doc.Add(DxfGroup(20, centre.y));
  doc.Add(DxfGroup(30, centre.z));
  doc.Add(DxfGroup(40, radius));
}

}  // namespace vorn
