#include "playlist/PlaylistEditorWindow.h"

#include <QCursor>
#include <QMenu>
#include <QWidget>

#include "playback/OpenFilter.h"
#include "platform/FileDialog.h"
#include "platform/OutlineWindow.h"
#include "playlist/AddCommands.h"
#include "playlist/CueSheet.h"
#include "playlist/PlayOrder.h"
#include "playlist/PlaylistDock.h"
#include "playlist/PlaylistMenus.h"
#include "playlist/PlaylistStorage.h"
#include "settings/SettingsFile.h"
#include "skin/PlayerWindows.h"
#include "skin/SkinSet.h"

using PlayerWindows::RectOf;

namespace {
// Playlist files in any case of their extension.
const QStringList kPlaylistFilters{QStringLiteral("M3U Playlist (*.[mM]3[uU])")};
// Loading also takes the other lists people have.
const QStringList kLoadFilters{kPlaylistFilters[0],
                               QStringLiteral("Playlists (*.[mM]3[uU] *.[mM]3[uU]8 *.[pP][lL][sS] *.[cC][uU][eE])")};
// Adding a file also takes a cue sheet, which brings its tracks.


// Where each button's two images are in the skin's playlist image (22 x 18 each).
struct ButtonImages {
  int id;
  int upX, upY, downX, downY;
};
constexpr std::array<ButtonImages, 16> kImages{{
    {101, 0, 149, 23, 149},   {102, 0, 130, 23, 130},   {103, 0, 111, 23, 111},   {104, 54, 149, 77, 149},
    {105, 54, 130, 77, 130},  {106, 54, 111, 77, 111},  {107, 54, 168, 77, 168},  {108, 104, 149, 127, 149},
    {109, 104, 130, 127, 130}, {110, 104, 111, 127, 111}, {111, 154, 149, 177, 149}, {112, 154, 130, 177, 130},
    {113, 154, 111, 177, 111}, {114, 204, 149, 227, 149}, {115, 204, 130, 227, 130}, {116, 204, 111, 227, 111},
}};
}  // namespace

const std::array<PlaylistEditorWindow::Group, 5> PlaylistEditorWindow::kGroups{{
    {ID_ADD, {ID_ADD_FOLDER, ID_ADD_URL, 0}},
    {ID_REMOVE, {ID_CROP, ID_REMOVE_ALL, ID_REMOVE_MENU}},
    {ID_SELECT, {ID_SELECT_1, ID_SELECT_2, 0}},
    {ID_MISC, {ID_INFO_MENU, ID_SORT_MENU, 0}},
    {ID_LIST, {ID_SAVE_LIST, ID_NEW_LIST, 0}},
}};

PlaylistEditorWindow::PlaylistEditorWindow() : SkinnedWindow(kPlaylistPlacement) {}

PlaylistEditorWindow::~PlaylistEditorWindow() {
  // The list observes the playlist: it goes first.
  list_.reset();
  session_.reset();
}

bool PlaylistEditorWindow::Create(SkinSet& skin, OpenFilter openFilter, SettingsFile& settings, Window* owner,
                                  const QString& commandLine) {
  skin_ = &skin;
  openFilter_ = std::move(openFilter);
  settings_ = &settings;
  PlayOrder* order = ThePlayOrder();
  if (!order) return false;
  session_ = std::make_unique<PlaylistSession>(*order, owner ? owner->GetHandle() : nullptr);
  if (!CreateSkinned(QStringLiteral("Playlist Editor"), kWindowId, owner)) return false;
  CreateButtons();
  list_ = std::make_unique<PlaylistListControl>(session_->GetPlaylist());
  list_->Create(this);
  // No bigger than the desktop (a huge size would allocate its pixels); the
  // minimum follows once the scale is known (SetScale).
  ReadPlacement(settings);
  PlaceControls();
  session_->Load(commandLine, settings, this);
  ApplySkin();
  AcceptDrops(true);
  return true;
}

void PlaylistEditorWindow::CreateButtons() {
  size_t sub = 0;
  for (size_t g = 0; g < kGroups.size(); ++g) {
    groups_[g].Create(Rect{}, this, kGroups[g].id);
    for (int id : kGroups[g].subs) {
      if (id == 0) continue;
      subButtons_[sub].Create(Rect{}, this, id);
      subButtons_[sub].Hide();
      // The sub-buttons stay where their column puts them.
      ++sub;
    }
  }
}

SkinButton& PlaylistEditorWindow::Button(int id) {
  for (size_t g = 0; g < groups_.size(); ++g)
    if (kGroups[g].id == id) return groups_[g];
  for (SkinButton& b : subButtons_)
    if (b.GetId() == id) return b;
  return groups_[0];
}

void PlaylistEditorWindow::PlaceControls() {
  const Rect c = GetClientRect();
  const int width = ScaledPanel(22);
  const int height = ScaledPanel(18);
  const int columns[] = {c.left + ScaledPanel(14), c.left + ScaledPanel(43), c.left + ScaledPanel(72),
                         c.left + ScaledPanel(101), c.right - ScaledPanel(44) - c.left};
  const int rows[] = {c.bottom - ScaledPanel(30), c.bottom - ScaledPanel(48), c.bottom - ScaledPanel(66),
                      c.bottom - ScaledPanel(84)};
  for (size_t g = 0; g < kGroups.size(); ++g) {
    Button(kGroups[g].id).MoveWindow(Rect::FromSize(columns[g], rows[0], width, height), false);
    for (size_t k = 0; k < kGroups[g].subs.size() && kGroups[g].subs[k]; ++k)
      Button(kGroups[g].subs[k]).MoveWindow(Rect::FromSize(columns[g], rows[k + 1], width, height), false);
  }
  if (list_)
    list_->MoveWindow(Rect::FromSize(c.left + ScaledPanel(12), c.top + ScaledPanel(20), c.right - ScaledPanel(32),
                                     c.bottom - ScaledPanel(58)));
}

void PlaylistEditorWindow::OnSize(int, int) { PlaceControls(); }

Rect PlaylistEditorWindow::GripRect() const {
  const Rect c = GetClientRect();
  return {c.right - ScaledPanel(25), c.bottom - ScaledPanel(25), c.right, c.bottom};
}

void PlaylistEditorWindow::SetScale(int scale) {
  KeepScale(scale);
  rubberBand_ = {-1, -1, -1, -1};
  if (list_) list_->SetScale(scale);
  // Never smaller than a resize may make it: a stored height of 1 would leave
  // nothing to grab.
  const Rect r = GetWindowRect();
  if (r.Width() < MinimumWidth() || r.Height() < MinimumHeight()) {
    MoveWindow(Rect::FromSize(r.left, r.top, std::max(r.Width(), MinimumWidth()),
                              std::max(r.Height(), MinimumHeight())), true);
  }
  Invalidate(true);
  PlaceControls();
}

void PlaylistEditorWindow::ChangeScale(int scale) {
  const Rect r = GetWindowRect();
  const int old = GetScale() > 0 ? GetScale() : 100;
  MoveWindow(Rect::FromSize(r.left, r.top, Rescale(r.Width(), old, scale), Rescale(r.Height(), old, scale)),
             true);
  SetScale(scale);
}

void PlaylistEditorWindow::ApplySkin() {
  const QImage& pledit = skin_->Bitmap(SLOT_PLEDIT);
  for (const ButtonImages& images : kImages) {
    SkinButton& button = Button(images.id);
    button.SetNormalImage(pledit, {images.upX, images.upY, 22, 18});
    button.SetPressedImage(pledit, {images.downX, images.downY, 22, 18});
    // A group toggle looks the same on and off.
    if (images.id == ID_ADD || images.id == ID_REMOVE || images.id == ID_SELECT || images.id == ID_MISC ||
        images.id == ID_LIST) {
      auto& toggle = static_cast<SkinToggle&>(button);
      toggle.SetOffImage(pledit, {images.upX, images.upY, 22, 18});
      toggle.SetOffPressedImage(pledit, {images.downX, images.downY, 22, 18});
    }
    button.Invalidate(true);
  }
  Invalidate(true);
}

void PlaylistEditorWindow::SetColours(Colour current, Colour normal, Colour normalBackground,
                                      Colour selectedBackground) {
  if (list_) list_->SetColours(current, normal, normalBackground, selectedBackground);
}

bool PlaylistEditorWindow::IsGroupOpen(int groupId) const {
  for (size_t g = 0; g < kGroups.size(); ++g)
    if (kGroups[g].id == groupId) return groups_[g].GetState();
  return false;
}

bool PlaylistEditorWindow::AnyGroupOpen() const {
  for (const SkinButton& b : subButtons_)
    if (b.IsVisible()) return true;
  return false;
}

void PlaylistEditorWindow::CloseGroups() {
  for (SkinToggle& g : groups_)
    if (g.GetState()) g.SetState(false);
  for (SkinButton& b : subButtons_) b.Hide();
}

void PlaylistEditorWindow::GroupPressed(int groupId) {
  SkinToggle& toggle = static_cast<SkinToggle&>(Button(groupId));
  const Group* group = nullptr;
  for (const Group& g : kGroups)
    if (g.id == groupId) group = &g;
  if (toggle.GetState()) {
    CloseGroups();
    toggle.SetState(true);
    for (int id : group->subs) {
      if (!id) continue;
      // The upper sub-buttons reach over the list's bottom rows: above it, so they can be pressed.
      Button(id).Show();
      if (QWidget* widget = Button(id).Widget()) widget->raise();
    }
    return;
  }
  for (int id : group->subs)
    if (id) Button(id).Hide();
  SecondPress(groupId);
}

void PlaylistEditorWindow::SecondPress(int groupId) {
  Playlist& playlist = GetPlaylist();
  switch (groupId) {
    case ID_ADD:
      AddFileCommand();
      break;
    case ID_REMOVE:
      playlist.RemoveSelected();
      break;
    case ID_MISC:
      ShowMenu(EditorMenu::Misc);
      break;
    case ID_LIST:
      LoadListCommand();
      break;
    default:
      // The Select group has nothing of its own.
      break;
  }
}

void PlaylistEditorWindow::SubButtonPressed(int id) {
  CloseGroups();
  Playlist& playlist = GetPlaylist();
  switch (id) {
    case ID_ADD_FOLDER:
      AddFolderCommand(this, playlist, *settings_, openFilter_);
      break;
    case ID_ADD_URL:
      AddUrlCommand(this, playlist, *settings_);
      break;
    case ID_CROP:
      playlist.CropToSelected();
      break;
    case ID_REMOVE_ALL:
    case ID_NEW_LIST:
      playlist.ClearPlaylist();
      break;
    case ID_REMOVE_MENU:
      ShowMenu(EditorMenu::Remove);
      break;
    case ID_INFO_MENU:
      ShowMenu(EditorMenu::FileInfo);
      break;
    case ID_SORT_MENU:
      ShowMenu(EditorMenu::Sort);
      break;
    case ID_SAVE_LIST:
      SaveListCommand();
      break;
    default:
      // The two Select sub-buttons only close the group.
      break;
  }
}

void PlaylistEditorWindow::OnCommand(int commandId) {
  for (const Group& g : kGroups) {
    if (g.id == commandId) {
      GroupPressed(commandId);
      return;
    }
  }
  if (commandId >= ID_ADD && commandId <= ID_NEW_LIST) {
    SubButtonPressed(commandId);
    return;
  }
  RunListCommand(commandId);
}

void PlaylistEditorWindow::ShowMenu(EditorMenu which) {
  std::unique_ptr<QMenu> menu = BuildPlaylistMenu(which);
  if (!menu) return;
  const QAction* chosen = menu->exec(QCursor::pos());
  // The entry's command runs once the menu has gone, as a menu's command message does.
  if (chosen && chosen->data().isValid()) PostCommand(chosen->data().toInt());
}

void PlaylistEditorWindow::AddFileCommand() {
  QString path;
  if (!ShowOpenFileDialog(this, openFilter_.NameFilters() << CueSheet::kOpenFilter, path))
    return;
  // A cue sheet brings its tracks, not itself.
  if (CueSheet::IsCueSheet(path)) CueSheet::AddToPlaylist(GetPlaylist(), path);
  else GetPlaylist().AddFile(path);
}

void PlaylistEditorWindow::LoadListCommand() {
  QString path;
  if (!ShowOpenFileDialog(this, kLoadFilters, path)) return;
  GetPlaylist().ClearPlaylist();
  AddListFile(GetPlaylist(), path, this);
}

void PlaylistEditorWindow::SaveListCommand() {
  QString path;
  if (ShowSaveFileDialog(this, kPlaylistFilters, QStringLiteral("M3U"), path)) SavePlaylist(GetPlaylist(), path);
}

intptr_t PlaylistEditorWindow::OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case MSG_LIST_CLICK:
      if (AnyGroupOpen()) CloseGroups();
      return 0;
    case MSG_DRAG_END:
      Snap();
      return 0;
    default:
      return SkinnedWindow::OnMessage(message, wParam, lParam);
  }
}

void PlaylistEditorWindow::Snap() {
  MoveWindow(DockPlaylistEditor(GetWindowRect(), RectOf(PlayerWindows::Equalizer()), RectOf(PlayerWindows::Main()),
                                ScreenWidth(), ScreenHeight()),
             true);
}

void PlaylistEditorWindow::OnStylusDown(Point client) {
  if (AnyGroupOpen()) CloseGroups();
  SetCapture();
  if (GripRect().Contains(client)) {
    resizing_ = true;
    resizeStart_ = GetWindowRect();
    resizePoint_ = {resizeStart_.left + client.x, resizeStart_.top + client.y};
  }
  SkinnedWindow::OnStylusDown(client);
}

void PlaylistEditorWindow::OnStylusMove(Point client) {
  if (!resizing_) {
    SkinnedWindow::OnStylusMove(client);
    return;
  }
  const Rect now = GetWindowRect();
  const int dx = now.left + client.x - resizePoint_.x;
  const int dy = now.top + client.y - resizePoint_.y;
  const int width = std::max(resizeStart_.Width() + dx, MinimumWidth());
  const int height = std::max(resizeStart_.Height() + dy, MinimumHeight());
  rubberBand_ = Rect::FromSize(resizeStart_.left, resizeStart_.top, width, height);
  if (!outline_) outline_ = std::make_unique<OutlineWindow>();
  outline_->ShowAt(rubberBand_);
}

void PlaylistEditorWindow::OnStylusUp(Point client) {
  ReleaseCapture();
  if (!resizing_) {
    rubberBand_ = {-1, -1, -1, -1};
    SkinnedWindow::OnStylusUp(client);
    return;
  }
  resizing_ = false;
  if (outline_) outline_->Hide();
  if (rubberBand_.left != -1) MoveWindow(rubberBand_, true);
  rubberBand_ = {-1, -1, -1, -1};
}

void PlaylistEditorWindow::OnClose() {
  if (settings_) {
    SettingsFile& s = *settings_;
    WritePlacement(s);
    // "Resume", then the rows into "tarnello.m3u".
    playlistSaved_ = session_->Save(s);
    settings_ = nullptr;
  }
  SkinnedWindow::OnClose();
}

void PlaylistEditorWindow::RedrawTitleStrip() {
  RedrawNow(Rect::FromSize(0, 0, GetClientRect().Width(), ScaledPanel(20)));
}
