#pragma once
#include <QString>
#include <array>
#include <memory>

#include "playback/OpenFilter.h"
#include "playlist/PlaylistListControl.h"
#include "playlist/PlaylistMenus.h"
#include "playlist/PlaylistSession.h"
#include "skin/SkinButton.h"
#include "skin/SkinToggle.h"
#include "skin/SkinnedWindow.h"

class OutlineWindow;
class PlayerState;
class SettingsFile;
class SkinSet;

// The playlist editor: the rows in a list, five group buttons whose sub-buttons
// open in columns above them, and a resize grip. It owns the playlist: it fills
// it when created and saves it when closed.
class PlaylistEditorWindow : public SkinnedWindow {
 public:
  static constexpr int kWindowId = 10007;
  // Group toggles and their sub-buttons.
  enum ButtonId : int {
    ID_ADD = 101, ID_ADD_FOLDER, ID_ADD_URL,
    ID_REMOVE = 104, ID_CROP, ID_REMOVE_ALL, ID_REMOVE_MENU,
    ID_SELECT = 108, ID_SELECT_1, ID_SELECT_2,
    ID_MISC = 111, ID_INFO_MENU, ID_SORT_MENU,
    ID_LIST = 114, ID_SAVE_LIST, ID_NEW_LIST,
  };

  PlaylistEditorWindow();
  ~PlaylistEditorWindow() override;

  // Creates the window hidden, as a pop-up owned by owner, reads its place and fills
  // the playlist from the command line or the saved playlist. mainWindow receives
  // the stop command when the playing row goes away.
  bool Create(SkinSet& skin, OpenFilter openFilter, SettingsFile& settings, Window* owner,
              const QString& commandLine);

  // The player's state, read by File Info for what the playing stream says of itself.
  void ShareState(const PlayerState& state) { playerState_ = &state; }

  Playlist& GetPlaylist() { return session_->GetPlaylist(); }
  PlaylistListControl& List() { return *list_; }
  SkinButton& Button(int id);
  bool IsGroupOpen(int groupId) const;

  // The scale with the window's size kept (start-up; raised to the minimum when
  // smaller), or with the size following.
  void SetScale(int scale);
  void ChangeScale(int scale);
  void ApplySkin();
  // Current, Normal, NormalBG, SelectedBG for the list.
  void SetColours(Colour current, Colour normal, Colour normalBackground, Colour selectedBackground);
  // The smallest size the grip allows at the current scale.
  int MinimumWidth() const { return ScaledPanel(275); }
  int MinimumHeight() const { return ScaledPanel(100); }

  // Files (as rows; M3U and PLS lists as their entries), folders (walked with
  // their subfolders for the plug-ins' file types) and URLs, appended; the first
  // new row, or -1 when none was added.
  int AddItems(const QStringList& items);
  // False once the close could not write "tarnello.m3u".
  bool PlaylistSaved() const { return playlistSaved_; }
  // An entry of the editor's menus (32814 to 32824); false for another id.
  bool RunListCommand(int commandId);

 protected:
  intptr_t OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void OnCommand(int commandId) override;
  void OnPaint(Canvas& canvas) override;
  void OnSize(int width, int height) override;
  void OnClose() override;
  void OnStylusDown(Point client) override;
  void OnStylusMove(Point client) override;
  void OnStylusUp(Point client) override;
  void OnDrop(const QStringList& items) override;

 private:
  struct Group {
    int id;
    std::array<int, 3> subs;  // 0 ends the list
  };
  static const std::array<Group, 5> kGroups;

  void CreateButtons();
  void PlaceControls();
  void CloseGroups();
  bool AnyGroupOpen() const;
  void GroupPressed(int groupId);
  void SubButtonPressed(int id);
  void SecondPress(int groupId);
  void ShowMenu(EditorMenu which);
  void AddFileCommand();
  void LoadListCommand();
  void SaveListCommand();
  // Menu entries that work on the selected row (PlaylistMenuCommands.cpp).
  void TrashSelected();
  void FileInfoOfSelected();
  void EditSelectedEntry();
  void ReadInfoOfSelected();
  void HtmlPlaylistCommand();
  void Snap();
  void RedrawTitleStrip() override;
  Rect GripRect() const;
  void DrawTitleBar(Canvas& canvas, const QImage& pledit);
  void DrawBorders(Canvas& canvas, const QImage& pledit);
  void DrawBottomBar(Canvas& canvas, const QImage& pledit);
  void DrawScrollThumb(Canvas& canvas, const QImage& pledit);
  void Piece(Canvas& canvas, const QImage& pledit, int sx, int sy, int w, int h, int x, int y);

  SkinSet* skin_ = nullptr;
  OpenFilter openFilter_;  // the plug-ins' types, for the add commands and the drop
  SettingsFile* settings_ = nullptr;
  std::unique_ptr<PlaylistSession> session_;
  const PlayerState* playerState_ = nullptr;
  std::array<SkinToggle, 5> groups_;
  std::array<SkinButton, 11> subButtons_;
  std::unique_ptr<PlaylistListControl> list_;
  bool resizing_ = false;
  bool playlistSaved_ = true;
  Rect resizeStart_;      // the window's rectangle when the grip was pressed
  Point resizePoint_;     // the press, in screen coordinates
  Rect rubberBand_{-1, -1, -1, -1};
  std::unique_ptr<OutlineWindow> outline_;
};
