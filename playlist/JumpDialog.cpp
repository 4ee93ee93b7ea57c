#include "playlist/JumpDialog.h"

#include <QAbstractListModel>
#include <algorithm>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Window.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistListControl.h"

// The matching rows as the list shows them: each by its display text, read from
// the playlist only when drawn, so 100,000 matches cost a vector of numbers.
class JumpRowModel : public QAbstractListModel {
 public:
  JumpRowModel(const Playlist& playlist, QObject* parent) : QAbstractListModel(parent), playlist_(playlist) {}

  void SetRows(const std::vector<int>& rows) {
    beginResetModel();
    rows_ = &rows;
    endResetModel();
  }
  int RowAt(int index) const { return rows_ && index >= 0 && index < int(rows_->size()) ? (*rows_)[size_t(index)] : -1; }

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() || !rows_ ? 0 : int(rows_->size()); }
  QVariant data(const QModelIndex& index, int role) const override {
    const int row = RowAt(index.row());
    if (row < 0 || row >= playlist_.GetCount()) return {};
    if (role == Qt::DisplayRole) return playlist_.GetDisplayText(row);
    if (role == Qt::ToolTipRole) return playlist_.GetPath(row);
    return {};
  }

 private:
  const Playlist& playlist_;
  const std::vector<int>* rows_ = nullptr;
};

namespace {
QPointer<JumpDialog> openDialog;
}  // namespace

JumpDialog::JumpDialog(Playlist& playlist, QWidget* parent) : QDialog(parent), playlist_(playlist) {
  setWindowTitle(QStringLiteral("Jump to file"));
  setAttribute(Qt::WA_DeleteOnClose);
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("Words of the title or path"));
  search_->setClearButtonEnabled(true);
  list_ = new QListView(this);
  list_->setUniformItemSizes(true);  // 100,000 rows of one height: no row is measured
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  model_ = new JumpRowModel(playlist_, this);
  list_->setModel(model_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(search_);
  layout->addWidget(list_);
  resize(420, 360);

  search_->installEventFilter(this);
  list_->installEventFilter(this);
  connect(search_, &QLineEdit::textChanged, this, [this] { Refilter(); });
  connect(search_, &QLineEdit::returnPressed, this, [this] { PlayChosen(); });
  connect(list_, &QListView::doubleClicked, this, [this] { PlayChosen(); });
  // Escape, the window's close button or a played row: the dialog goes.
  connect(this, &QDialog::finished, this, &QObject::deleteLater);

  playlist_.AddObserver(this);
  matches_.Index(playlist_);
  Refilter();
}

JumpDialog::~JumpDialog() { playlist_.RemoveObserver(this); }

JumpDialog* JumpDialog::Open(Window* owner, Playlist& playlist) {
  if (!openDialog) {
    // A window of its own, kept above the player's windows.
    openDialog = new JumpDialog(playlist, owner ? owner->Widget() : nullptr);
  }
  if (!openDialog->isVisible()) openDialog->PlaceBeside(owner);
  openDialog->show();
  openDialog->raise();
  openDialog->activateWindow();
  openDialog->search_->setFocus();
  openDialog->search_->selectAll();
  return openDialog;
}

JumpDialog* JumpDialog::Current() { return openDialog; }

void JumpDialog::PlaceBeside(Window* owner) {
  // Right of the player's window where the screen has room, else left of it;
  // otherwise where the window system puts a dialog.
  QWidget* player = owner ? owner->Widget() : nullptr;
  const QScreen* screen = player ? player->screen() : nullptr;
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QRect at = player->frameGeometry();
  const QSize size = frameSize().isValid() ? frameSize() : sizeHint();
  const int gap = 8;
  int x = at.right() + 1 + gap;
  if (x + size.width() > area.right() + 1) x = at.left() - gap - size.width();
  if (x < area.left()) return;
  move(x, std::clamp(at.top(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
}

void JumpDialog::Refilter() {
  matches_.Filter(search_->text());
  model_->SetRows(matches_.Matches());
  // The first match is the one Enter plays, and nearest the top of the list.
  if (model_->rowCount({}) > 0) list_->setCurrentIndex(model_->index(0));
}

void JumpDialog::Reindex() {
  // Several changes in a row (a folder added, a sort) make the index once.
  if (reindexQueued_) return;
  reindexQueued_ = true;
  // Meanwhile the shown rows may name rows that are gone: show none.
  static const std::vector<int> none;
  model_->SetRows(none);
  QTimer::singleShot(0, this, [this] {
    reindexQueued_ = false;
    matches_.Index(playlist_);
    Refilter();
  });
}

bool JumpDialog::PlayChosen() {
  if (reindexQueued_ || played_) return false;
  const int row = model_->RowAt(list_->currentIndex().row());
  if (row < 0 || row >= playlist_.GetCount()) return false;
  if (!RequestRowPlay(playlist_, row)) return false;
  played_ = true;
  close();
  return true;
}

bool JumpDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (watched == list_ && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
    PlayChosen();
    return true;
  }
  // Moving through the list while typing: the arrow and page keys go to the list.
  if (watched == search_) {
    if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
      QCoreApplication::sendEvent(list_, event);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
