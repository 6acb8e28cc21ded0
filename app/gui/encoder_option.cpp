// The Encoder page's window.
#include "app/gui/encoder_option.h"

#include <wx/choice.h>
#include <wx/settings.h>
#include <wx/stattext.h>

#include <utility>

#include "app/gui/option_pages.h"
#include "res/option_pages.h"
#include "ui/data_exchange.h"

const ui::MapRow<CEncoderOption> CEncoderOption::kMessageMap[] = {
    ui::OnCbnSelChange(res::IDC_AUDIO_FORMAT, &CEncoderOption::OnFormatChange),
    ui::OnCbnSelChange(res::IDC_SAMPLE_RATE, &CEncoderOption::OnPageModified),
    ui::OnCbnSelChange(res::IDC_QUALITY, &CEncoderOption::OnPageModified),
    ui::OnCbnSelChange(res::IDC_CHANNELS, &CEncoderOption::OnPageModified),
};

CEncoderOption::CEncoderOption(OptionsSheetModel& sheet, std::function<void()> destinationsChanged)
    : ui::CPropertyPage(res::kEncoderOptionPage),
      sheet_(sheet),
      destinationsChanged_(std::move(destinationsChanged)) {
  SetPageFlags(PageFlags() & ~ui::PSP_HASHELP);
  ui::BindMessageMap(this, kMessageMap);
}

bool CEncoderOption::OnInitDialog() {
  sheet_.ShowPage(kEncoderPage);  // loads the model on the first showing
  option_pages::PaintBackground(*this, hasWhiteBackground);
  auto* format = GetDlgItemAs<wxChoice>(res::IDC_AUDIO_FORMAT);
  auto* rate = GetDlgItemAs<wxChoice>(res::IDC_SAMPLE_RATE);
  option_pages::FillList(format, EncoderOptionsModel::FormatEntries());
  GetDlgItem(res::IDC_SAMPLE_RATE_LABEL)->SetLabel("Sampling Frequency:");
  GetDlgItem(res::IDC_CHANNELS_LABEL)->SetLabel("Channel Mode:");
  option_pages::FillList(rate, EncoderOptionsModel::SampleRateEntries());
  option_pages::Select(format, sheet_.encoder.format);
  FillFormatLists();
  CPropertyPage::OnInitDialog();
  return true;
}

void CEncoderOption::DoDataExchange(ui::CDataExchange* pDX) {
  EncoderOptionsModel& m = sheet_.encoder;
  ui::DDX_CBIndex(pDX, res::IDC_AUDIO_FORMAT, m.format);
  ui::DDX_CBIndex(pDX, res::IDC_SAMPLE_RATE, m.sampleRate);
  ui::DDX_CBIndex(pDX, res::IDC_QUALITY, m.quality);
  ui::DDX_CBIndex(pDX, res::IDC_CHANNELS, m.channels);
}

void CEncoderOption::FillFormatLists() {
  EncoderOptionsModel& m = sheet_.encoder;
  const int selected = GetDlgItemAs<wxChoice>(res::IDC_AUDIO_FORMAT)->GetSelection();
  m.SelectFormat(selected == wxNOT_FOUND ? -1 : selected);
  GetDlgItem(res::IDC_MP3_RATE_NOTE)->Show(m.NoteVisible());
  if (m.format == kFormatWav || m.format == kFormatMp3)
    GetDlgItem(res::IDC_QUALITY_LABEL)->SetLabel(m.QualityLabel());
  auto* quality = GetDlgItemAs<wxChoice>(res::IDC_QUALITY);
  auto* channels = GetDlgItemAs<wxChoice>(res::IDC_CHANNELS);
  option_pages::FillList(quality, m.QualityEntries());
  option_pages::FillList(channels, m.ChannelEntries());
  option_pages::Select(GetDlgItemAs<wxChoice>(res::IDC_SAMPLE_RATE), m.sampleRate);
  option_pages::Select(quality, m.quality);
  option_pages::Select(channels, m.channels);
}

void CEncoderOption::OnFormatChange() {
  FillFormatLists();
  OnPageModified();
}

void CEncoderOption::OnPageModified() { SetModified(true); }

bool CEncoderOption::OnSetActive() {
  sheet_.ShowPage(kEncoderPage);
  return true;
}

bool CEncoderOption::OnApply() {
  UpdateData(true);
  if (!option_pages::Accept(*this, sheet_.encoder.Apply())) return false;
  if (destinationsChanged_) destinationsChanged_();
  return true;
}
