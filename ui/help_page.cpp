// Opening the help page, folders and addresses with the desktop's handler.
#include "ui/help_page.h"

#include <wx/utils.h>

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "platform/folders.h"

namespace {

// Schemes handed on as they are: the desktop knows their handlers.
constexpr std::array<std::string_view, 3> kAddressSchemes = {"http://", "https://", "mailto:"};

bool IsAddress(const std::string& target) {
  for (std::string_view scheme : kAddressSchemes) {
    if (target.size() > scheme.size() && target.compare(0, scheme.size(), scheme) == 0) return true;
  }
  return false;
}

bool Launch(const std::string& argument) {
  const char* const argv[] = {"xdg-open", argument.c_str(), nullptr};
  return wxExecute(argv, wxEXEC_ASYNC) > 0;
}

}  // namespace

std::string ProgramHelpPagePath() {
  const std::string folder = GetProgramFolder();
  return folder.empty() ? std::string() : folder + kPathSeparator + "Help.html";
}

bool IsDesktopTarget(const std::string& target) {
  if (target.empty()) return false;
  if (IsAddress(target)) return target.find_first_of("\r\n") == std::string::npos;
  std::error_code error;
  return std::filesystem::is_regular_file(target, error) || std::filesystem::is_directory(target, error);
}

bool OpenWithDesktop(const std::string& target) {
  if (!IsDesktopTarget(target)) return false;
  if (IsAddress(target)) return Launch(target);
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(target, error);
  return !error && Launch(absolute.string());
}

bool OpenHelpPage(const std::string& page) {
  std::error_code error;
  if (page.empty() || !std::filesystem::is_regular_file(page, error)) return false;
  return OpenWithDesktop(page);
}
