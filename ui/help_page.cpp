// Opening the help page.
#include "ui/help_page.h"

#include <wx/utils.h>

#include <filesystem>
#include <system_error>

#include "platform/folders.h"

std::string ProgramHelpPagePath() {
  const std::string folder = GetProgramFolder();
  return folder.empty() ? std::string() : folder + kPathSeparator + "Help.html";
}

bool OpenHelpPage(const std::string& page) {
  std::error_code error;
  if (page.empty() || !std::filesystem::is_regular_file(page, error)) return false;
  const char* const argv[] = {"xdg-open", page.c_str(), nullptr};
  return wxExecute(argv, wxEXEC_ASYNC) > 0;
}
