#include "cad/diagram_insertion.h"

#include <system_error>

#include "dxf/code_page.h"

namespace vorn::cad {
namespace {

std::string WordOr(const InsertionRequest& request, const char* fallback) {
  return request.commandWord.empty() ? std::string(fallback) : request.commandWord;
}

std::string Quoted(bool exploded, const std::string& file) {
  return std::string("\"") + (exploded ? "*" : "") + file + "\"";
}

}  // namespace

InsertionRequest Insertion(InsertionForm form, std::string x, std::string y, std::string rotation,
                           std::string commandWord) {
  return InsertionRequest{form, std::move(x), std::move(y), std::move(rotation),
                          std::move(commandWord)};
}

bool IsExplodedInsertion(InsertionForm form) {
  return form != InsertionForm::kBlockByUser && form != InsertionForm::kBlockRotated;
}

std::string InsertionCommandText(const InsertionRequest& request, const std::string& file) {
  const std::string point = request.x + "," + request.y;
  const std::string name = Quoted(IsExplodedInsertion(request.form), file);
  switch (request.form) {
    case InsertionForm::kExplodedAtOrigin:
      return WordOr(request, "-INSERT") + "\r" + name + "\r" + "0,0 1 0" + "\r";
    case InsertionForm::kExplodedAtOriginSplit:
      return WordOr(request, "-InSERT") + "\r" + name + "\r" + "0,0" + "\r" + "1 0" + "\r";
    case InsertionForm::kExplodedAtPoint:
      return WordOr(request, "-InSERT") + "\r" + name + "\r" + point + "\r" + "1 0" + "\r";
    case InsertionForm::kExplodedAtPointBlank:
      return WordOr(request, "-INSERt") + "\r" + name + "\r" + point + "\r" + "1 0 ";
    case InsertionForm::kExplodedRotated:
    case InsertionForm::kBlockRotated:
      return WordOr(request, "-INSERT") + "\r" + name + "\r" + point + "\r" + "1.0" + "\r" +
             request.rotation + "\r";
    case InsertionForm::kBlockByUser:
      return WordOr(request, "-INSERT") + "\r" + name + "\r" + "S" + "\r" + "1.0" + "\r" + "R" +
             "\r" + request.rotation + "\r";
  }
  return "";
}

std::optional<SavedDiagram> SaveDiagramFile(CadDocument& document, const DxfDocument& dxf,
                                            const std::filesystem::path& folder,
                                            const CadLink& link) {
  SavedDiagram saved;
  saved.blockName = NextBlockName(document, kBlockPrefix);
  saved.file = folder / (saved.blockName + ".dxf");
  try {
    dxf.SaveToFile(saved.file, kCadEncoding);
  } catch (const std::exception& e) {
    // Silently dropping a diagram the user waited for would look like success.
    link.messages.ShowMessage("DXF ファイルを保存できません: " + saved.file.string() + "\n" +
                              e.what());
    return std::nullopt;
  }
  link.clock.Sleep(100);
  std::error_code ec;
  if (!std::filesystem::exists(saved.file, ec)) return std::nullopt;
  return saved;
}

void InsertSavedDiagram(CadApplication& application, CadDocument& document,
                        const SavedDiagram& saved, const InsertionRequest& request,
                        const CadLink& link) {
  document.SendCommand(InsertionCommandText(request, saved.file.string()));
  if (IsExplodedInsertion(request.form) && link.TargetProgID.find("PCAD") != std::string::npos) {
    WaitCadIdle(application, 100, link);
    DeleteBlockDef(document, saved.blockName);
  }
}

std::optional<SavedDiagram> SaveAndInsertDiagram(CadApplication& application, CadDocument& document,
                                                 const DxfDocument& dxf,
                                                 const std::filesystem::path& folder,
                                                 const InsertionRequest& request,
                                                 const CadLink& link) {
  auto saved = SaveDiagramFile(document, dxf, folder, link);
  if (saved) InsertSavedDiagram(application, document, *saved, request, link);
  return saved;
}

}  // namespace vorn::cad
