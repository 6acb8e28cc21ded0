// What the three option pages share: filling their lists, their background,
// and how a page answers the sheet when its model refuses to apply.
#pragma once

#include <string>
#include <vector>

#include "app/options_page_result.h"

class wxChoice;
class wxWindow;

namespace ui {
class CPropertyPage;
}

namespace option_pages {

// Replaces the entries of `list` by `entries` (kept exactly, leading blanks included).
void FillList(wxChoice* list, const std::vector<std::string>& entries);
// Selects entry `index`, or nothing when the list has no such entry.
void Select(wxChoice* list, int index);
// Gives the page the window colour when the sheet draws pages on white.
void PaintBackground(ui::CPropertyPage& page, bool white);
// The page's answer to the sheet for `result`: true when applied. A refusal
// with a message shows it over the sheet and brings the refusing page to
// the front with the keyboard focus in `field` (when given), so the user
// can correct it at once; while a disc refresh runs the sheet just stays
// open.
bool Accept(ui::CPropertyPage& page, const PageApplyResult& result, wxWindow* field = nullptr);
// Runs the folder chooser with `title`, preselecting `current` when it is
// an existing folder; true with the chosen folder in `chosen` on OK.
bool BrowseForFolder(ui::CPropertyPage& page, const std::string& title, const std::string& current,
                     std::string& chosen);

}  // namespace option_pages
