#include "app/dialog_fields.h"

#include <cctype>
#include <cstdio>

#include "res/resource_ids.h"

StatusCode checkDataFileName(Recorder& recorder, bool create) {
  const std::string name = recorder.dialog.controlText(IDC_FILE_NAME);
  if (name.size() <= 4) return StatusCode::InvalidFileName;
  const size_t n = name.size();
  bool typeOk = true;
  typeOk = (std::tolower(static_cast<unsigned char>(name[n - 1])) == 'l') && typeOk;
  typeOk = (std::tolower(static_cast<unsigned char>(name[n - 2])) == 'e') && typeOk;
  typeOk = (std::tolower(static_cast<unsigned char>(name[n - 3])) == 'q') && typeOk;
  typeOk = (name[n - 4] == '.') && typeOk;
  if (!typeOk) return StatusCode::IncorrectFileType;
  if (create) {
    FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr) return StatusCode::FileOpenError;
    std::fclose(file);
  }
  recorder.state.currentPath = name;
  return StatusCode::Success;
}

StackFormat selectedStackFormat(DialogPort& dialog) {
  // Every button is queried; 716 (Binary / Hexadecimal) is what remains.
  const bool ldb = dialog.isChecked(IDC_FORMAT_LDB);
  const bool mdm = dialog.isChecked(IDC_FORMAT_MDM);
  const bool mec = dialog.isChecked(IDC_FORMAT_MEC);
  const bool eiu = dialog.isChecked(IDC_FORMAT_EIU);
  const bool mil1553 = dialog.isChecked(IDC_FORMAT_1553);
  if (ldb) return StackFormat::Ldb;
  if (mdm) return StackFormat::Mdm;
  if (mec) return StackFormat::Mec;
  if (eiu) return StackFormat::Eiu;
  if (mil1553) return StackFormat::Mil1553;
  return StackFormat::BinaryHex;
}

void refreshFileList(DialogPort& dialog, int comboId) { dialog.fillFileList(comboId, "*.qel"); }
