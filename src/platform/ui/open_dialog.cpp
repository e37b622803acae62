#include "platform/ui/open_dialog.h"

#include <QFileDialog>

namespace platform::ui {

std::string FilterString(const std::vector<FileFilter>& filters) {
  std::string patterns;
  std::string entries;
  for (const FileFilter& filter : filters) {
    if (!patterns.empty()) patterns += ' ';
    patterns += filter.pattern;
    entries += std::string(";;") + filter.description + " (" + filter.pattern + ")";
  }
  return "Supported Files (" + patterns + ")" + entries + ";;All Files (*)";
}

std::optional<std::u16string> AskFileToOpen(QWidget* owner, const std::vector<FileFilter>& filters) {
  QFileDialog dialog(owner);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilter(QString::fromStdString(FilterString(filters)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString path = dialog.selectedFiles().front();
  return std::u16string(reinterpret_cast<const char16_t*>(path.utf16()), size_t(path.size()));
}

}  // namespace platform::ui
