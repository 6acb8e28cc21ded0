// Opening the help page with the desktop's handler.
#include "ui/help_page.h"

#include <filesystem>
#include <system_error>

#include "platform/desktop_open.h"
#include "platform/folders.h"

std::string ProgramHelpPagePath() {
  const std::string folder = GetProgramFolder();
  return folder.empty() ? std::string() : folder + kPathSeparator + "Help.html";
}

bool OpenHelpPage(const std::string& page) {
  std::error_code error;
  if (page.empty() || !std::filesystem::is_regular_file(page, error)) return false;
  return OpenWithDesktopHandler(page) == DesktopOpenResult::Opened;
}
