// The options sheet's page bookkeeping.
#include "app/options_sheet_model.h"

#include <utility>

#include "app/settings.h"

OptionsSheetModel::OptionsSheetModel(std::function<void()> destinationsChanged)
    : destinationsChanged_(std::move(destinationsChanged)) {}

int OptionsSheetModel::InitialPage() {
  return LastPage < kOptionsPageCount ? static_cast<int>(LastPage) : static_cast<int>(kOutputPage);
}

void OptionsSheetModel::ShowPage(int page) {
  if (page < 0 || page >= kOptionsPageCount) return;
  LastPage = static_cast<uint16_t>(page);
  if (shown_[static_cast<size_t>(page)]) return;
  shown_[static_cast<size_t>(page)] = true;
  switch (page) {
    case kCDDBPage:
      cddb.Load();
      break;
    case kOutputPage:
      output.Load();
      break;
    default:
      encoder.Load();
      break;
  }
}

bool OptionsSheetModel::IsPageShown(int page) const {
  return page >= 0 && page < kOptionsPageCount && shown_[static_cast<size_t>(page)];
}

PageApplyResult OptionsSheetModel::Apply() {
  if (shown_[kCDDBPage])
    if (PageApplyResult r = cddb.Apply(); !r) return r;
  if (shown_[kOutputPage])
    if (PageApplyResult r = output.Apply({}); !r) return r;
  if (shown_[kEncoderPage])
    if (PageApplyResult r = encoder.Apply(); !r) return r;
  // Once, after both pages that name the files have applied, so the track
  // list shows the new template and the new extension together.
  if ((shown_[kOutputPage] || shown_[kEncoderPage]) && destinationsChanged_) destinationsChanged_();
  return PageApplyResult::Ok();
}

void OptionsSheetModel::ResetOutputOptions() {
  ResetAllOutputOptions();
  output.Load();
  if (shown_[kEncoderPage]) encoder.Load();
}
