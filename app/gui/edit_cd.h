// The "Edit CD Info" dialog: album title, artist (with the "Various Artists"
// switch), genre and year of the current album. OK applies the edits to the
// album record and closes; "Save to Local" applies them and also writes the
// disc's local cache file, staying open. A refused year is told in a message
// box and nothing is applied. Escape and the close box apply nothing.
//
// The rules live in AlbumEditorModel; this window only moves the texts
// between its controls and the model.
#pragma once

#include <memory>

#include "app/album_editor_model.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement_store.h"

class CComboBoxExt;

class CEditCD : public ui::CResizeDlg {
 public:
  explicit CEditCD(wxWindow* parent = nullptr);
  ~CEditCD() override;

  // Reads the controls and applies them to the album record (`saveToLocal`:
  // and writes the cache file), showing the model's message when it has
  // one. False when nothing was applied.
  bool ApplyEdits(bool saveToLocal = false);
  void OnOKButton();
  void OnSaveToLocal();
  void OnVariousArtists();

  CComboBoxExt* GenreBox() const { return genre_; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(ui::CDataExchange* pDX) override;
  wxWindow* CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                          const wxRect& rect) override;

 private:
  void OnDestroy();

  static const ui::MapRow<CEditCD> kMessageMap[];

  WindowPlacementStore placement_;
  std::unique_ptr<WxPlacementWindow> placementWindow_;
  AlbumEditorModel model_;
  int variousArtists_ = 0;
  CComboBoxExt* genre_ = nullptr;
};
